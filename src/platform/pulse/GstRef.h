#pragma once
// Owning holders for GStreamer's and GLib's objects: each reference is given
// back exactly once, when its holder goes.

#include <gst/gst.h>

#include <memory>

namespace gst {

struct Unref {
    void operator()(GstElement* element) const { gst_object_unref(element); }
    void operator()(GstBus* bus) const { gst_object_unref(bus); }
    void operator()(GstPad* pad) const { gst_object_unref(pad); }
    void operator()(GstMessage* message) const { gst_message_unref(message); }
    void operator()(GstCaps* caps) const { gst_caps_unref(caps); }
    void operator()(GstSample* sample) const { gst_sample_unref(sample); }
    void operator()(GstBuffer* buffer) const { gst_buffer_unref(buffer); }
    void operator()(gchar* text) const { g_free(text); }
};

template <typename T>
using Ref = std::unique_ptr<T, Unref>;

// A new element not (yet) in a bin: its floating reference is taken, so that
// it is released if it never joins one.
inline Ref<GstElement> makeElement(const char* factory) {
    GstElement* element = gst_element_factory_make(factory, nullptr);
    return Ref<GstElement>(element ? GST_ELEMENT(gst_object_ref_sink(element)) : nullptr);
}

}  // namespace gst
