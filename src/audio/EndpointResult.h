#pragma once
// Result codes of the endpoint methods, with the platform's HRESULT values so
// that every backend reports alike. Callers of CAudioEndpointVolume never see them.

#include <cstdint>

namespace endpoint_result {

constexpr int32_t ok = 0;
constexpr int32_t fail = static_cast<int32_t>(0x80004005u);         // E_FAIL
constexpr int32_t invalidArg = static_cast<int32_t>(0x80070057u);   // E_INVALIDARG
constexpr int32_t nullPointer = static_cast<int32_t>(0x80004003u);  // E_POINTER
constexpr int32_t notFound = static_cast<int32_t>(0x80070490u);     // HRESULT of ERROR_NOT_FOUND
// The audio service could not be reached or stopped answering.
constexpr int32_t serviceNotRunning = static_cast<int32_t>(0x88890010u);
// The device the object was bound to is gone.
constexpr int32_t deviceInvalidated = static_cast<int32_t>(0x88890004u);

}  // namespace endpoint_result
