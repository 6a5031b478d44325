#include "PulseWatch.h"

namespace pulse {

std::unique_ptr<Session> openWatching(const char* name, pa_subscription_mask_t mask,
                                      pa_context_subscribe_cb_t onEvent, void* self,
                                      const std::function<pa_operation*(pa_context*)>& readState,
                                      Clock::time_point deadline) {
    std::unique_ptr<Session> session = Session::open(name, deadline);
    if (!session) return nullptr;
    pa_context* context = session->context();
    const auto subscribe = [&]() -> pa_operation* {
        pa_context_set_subscribe_callback(context, onEvent, self);
        if (!Operation(pa_context_subscribe(context, mask, nullptr, nullptr))) return nullptr;
        return readState(context);
    };
    if (!session->request(subscribe, deadline)) return nullptr;
    return session;
}

}  // namespace pulse
