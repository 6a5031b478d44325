#include "GstTrackFile.h"

#include <gst/app/gstappsink.h>
#include <gst/gst.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <filesystem>

namespace {

using Clock = std::chrono::steady_clock;

constexpr std::size_t bytesPerSecond = 48000 * 4;
// How much decoded sound the reader keeps taken from the sink: a second.
constexpr std::size_t aheadBytes = bytesPerSecond;
// How many decoded buffers the sink holds besides; the decoder waits when they are there.
constexpr guint sinkBuffers = 32;
// How long open() waits for the file to give its first sound.
constexpr std::int64_t openLimitNs = 1'500'000'000;
// How long rewind() waits for sound from the start again.
constexpr std::int64_t rewindLimitNs = 100'000'000;
// A track read for this long without giving anything has stopped giving sound.
constexpr std::int64_t starvedLimitNs = 2'000'000'000;

bool gstReady() {
    // Once per process; C++ makes the first caller do it and the others wait.
    static const bool ready = gst_init_check(nullptr, nullptr, nullptr);
    return ready;
}

std::int64_t nowNs() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(Clock::now().time_since_epoch())
        .count();
}

// Where in the file a decoded sample starts, or GST_CLOCK_TIME_NONE.
guint64 positionOf(GstSample* sample) {
    const GstSegment* segment = gst_sample_get_segment(sample);
    const GstClockTime pts = GST_BUFFER_PTS(gst_sample_get_buffer(sample));
    if (!segment || segment->format != GST_FORMAT_TIME || !GST_CLOCK_TIME_IS_VALID(pts))
        return GST_CLOCK_TIME_NONE;
    return gst_segment_to_stream_time(segment, GST_FORMAT_TIME, pts);
}

// Video and pictures are left undecoded: only the sound is played.
// (GstAutoplugSelectResult: 0 try the element, 1 expose the stream undecoded.)
int skipPictureDecoders(GstElement*, GstPad*, GstCaps*, GstElementFactory* factory, gpointer) {
    const char* klass = gst_element_factory_get_metadata(factory, GST_ELEMENT_METADATA_KLASS);
    const bool picture = klass && std::strstr(klass, "Decoder") &&
                         (std::strstr(klass, "Video") || std::strstr(klass, "Image"));
    return picture ? 1 : 0;
}

// Decoders of GStreamer's own plugins before FFmpeg's (libav) of the same
// rank: libav brings libavcodec and libavfilter with all they link (speech
// synthesis, SVG, video encoders), some 30 MB of library pages, where the
// MP3 decoder of mpg123 needs a library the program has loaded already. libav
// stays the fallback for what nothing else decodes (AAC, WMA).
GValueArray* libavLast(GstElement*, GstPad*, GstCaps*, GValueArray* factories, gpointer) {
    G_GNUC_BEGIN_IGNORE_DEPRECATIONS
    GValueArray* sorted = g_value_array_new(factories->n_values);
    for (const bool libav : {false, true}) {
        for (guint i = 0; i < factories->n_values; ++i) {
            GValue* value = g_value_array_get_nth(factories, i);
            auto* factory = GST_ELEMENT_FACTORY(g_value_get_object(value));
            const gchar* plugin = gst_plugin_feature_get_plugin_name(GST_PLUGIN_FEATURE(factory));
            if ((plugin && std::strcmp(plugin, "libav") == 0) == libav)
                g_value_array_append(sorted, value);
        }
    }
    G_GNUC_END_IGNORE_DEPRECATIONS
    return sorted;
}

// Whether the state change is done: at once, or by an ASYNC_DONE before the
// deadline. A segment's end on the way is noted in `segmentDone`.
bool settled(GstBus* bus, GstStateChangeReturn change, std::int64_t deadlineNs, bool& segmentDone) {
    if (change != GST_STATE_CHANGE_ASYNC) return change != GST_STATE_CHANGE_FAILURE;
    const auto types =
        GstMessageType(GST_MESSAGE_ASYNC_DONE | GST_MESSAGE_ERROR | GST_MESSAGE_SEGMENT_DONE);
    for (std::int64_t left; (left = deadlineNs - nowNs()) > 0;) {
        const gst::Ref<GstMessage> message(
            gst_bus_timed_pop_filtered(bus, GstClockTime(left), types));
        if (!message) return false;
        const GstMessageType type = GST_MESSAGE_TYPE(message.get());
        if (type != GST_MESSAGE_SEGMENT_DONE) return type == GST_MESSAGE_ASYNC_DONE;
        segmentDone = true;
    }
    return false;
}

}  // namespace

std::unique_ptr<GstTrackFile> GstTrackFile::open(const std::string& path) {
    // Only regular files: a folder, a device or a pipe never gives a track.
    std::error_code error;
    if (path.empty() || !std::filesystem::is_regular_file(path, error) || !gstReady())
        return nullptr;
    const gst::Ref<gchar> uri(gst_filename_to_uri(path.c_str(), nullptr));
    if (!uri) return nullptr;
    std::unique_ptr<GstTrackFile> track(new GstTrackFile);
    if (!track->start(uri.get())) return nullptr;
    return track;
}

bool GstTrackFile::start(const std::string& uri) {
    // file:// → decoder → audioconvert → audioresample → appsink.
    m_pipeline.reset(gst_pipeline_new("alarm-track"));
    // The bin takes its own reference of each; these go when start() returns.
    const gst::Ref<GstElement> decoder = gst::makeElement("uridecodebin");
    const gst::Ref<GstElement> convert = gst::makeElement("audioconvert");
    const gst::Ref<GstElement> resample = gst::makeElement("audioresample");
    const gst::Ref<GstElement> sink = gst::makeElement("appsink");
    if (!m_pipeline || !decoder || !convert || !resample || !sink) return false;
    gst_bin_add_many(GST_BIN(m_pipeline.get()), decoder.get(), convert.get(), resample.get(),
                     sink.get(), nullptr);
    m_decoder = decoder.get();
    m_convert = convert.get();
    m_sink = GST_APP_SINK(sink.get());
    m_bus.reset(gst_element_get_bus(m_pipeline.get()));

    g_object_set(m_decoder, "uri", uri.c_str(), nullptr);
    const gst::Ref<GstCaps> caps(
        gst_caps_from_string("audio/x-raw,format=S16LE,layout=interleaved,rate=48000,channels=2"));
    g_object_set(sink.get(), "caps", caps.get(), "sync", FALSE, "max-buffers", sinkBuffers, "drop",
                 FALSE, "enable-last-sample", FALSE, nullptr);
    if (!gst_element_link_many(m_convert, resample.get(), sink.get(), nullptr)) return false;

    g_signal_connect(m_decoder, "autoplug-select", G_CALLBACK(skipPictureDecoders), nullptr);
    g_signal_connect(m_decoder, "autoplug-sort", G_CALLBACK(libavLast), nullptr);
    g_signal_connect_swapped(
        m_decoder, "pad-added",
        G_CALLBACK(+[](GstTrackFile* self, GstPad* pad) { self->linkPad(pad); }), this);
    g_signal_connect_swapped(m_decoder, "no-more-pads",
                             G_CALLBACK(+[](GstTrackFile* self) { self->noMorePads(); }), this);
    // Notes that sound comes out of the decoder, so that looping never spins on a
    // file that stopped giving any.
    const gst::Ref<GstPad> input(gst_element_get_static_pad(m_convert, "sink"));
    gst_pad_add_probe(
        input.get(), GST_PAD_PROBE_TYPE_BUFFER,
        [](GstPad*, GstPadProbeInfo*, gpointer self) {
            static_cast<GstTrackFile*>(self)->m_flowing = true;
            return GST_PAD_PROBE_OK;
        },
        this, nullptr);

    // Within the limit: the file decodes and gives some sound.
    const std::int64_t deadline = nowNs() + openLimitNs;
    if (!settled(m_bus.get(), gst_element_set_state(m_pipeline.get(), GST_STATE_PAUSED), deadline,
                 m_endedEarly))
        return false;
    // None when the file ended without a sound.
    if (!gst::Ref<GstSample>(gst_app_sink_try_pull_preroll(m_sink, 0))) return false;
    // Play the file as a segment, which ends without ending the stream, so that
    // the next turn can be queued right behind it.
    if (seekToStart(true) && !settled(m_bus.get(), GST_STATE_CHANGE_ASYNC, deadline, m_endedEarly))
        return false;
    if (gst_element_set_state(m_pipeline.get(), GST_STATE_PLAYING) == GST_STATE_CHANGE_FAILURE)
        return false;
    m_watcher = std::thread(&GstTrackFile::watch, this);
    // Half a second of sound in hand, so that the track does not start with a gap.
    fillAhead(aheadBytes / 2, deadline - nowNs());
    return !m_broken;
}

GstTrackFile::~GstTrackFile() {
    // The decoder stops first: that frees a watcher that waits in a seek for the
    // decoder's threads. The bus still carries messages until the pipeline is NULL.
    m_quitting = true;
    if (m_pipeline) gst_element_set_state(m_pipeline.get(), GST_STATE_READY);
    if (m_watcher.joinable()) {
        gst_bus_post(m_bus.get(),
                     gst_message_new_application(nullptr, gst_structure_new_empty("quit")));
        m_watcher.join();
    }
    dropAhead();
    // The pipeline and the bus are released after this, in that order.
    if (m_pipeline) gst_element_set_state(m_pipeline.get(), GST_STATE_NULL);
}

void GstTrackFile::linkPad(GstPad* pad) {
    gst::Ref<GstCaps> caps(gst_pad_get_current_caps(pad));
    if (!caps) caps.reset(gst_pad_query_caps(pad, nullptr));
    const bool sound =
        caps && !gst_caps_is_empty(caps.get()) &&
        g_str_has_prefix(gst_structure_get_name(gst_caps_get_structure(caps.get(), 0)),
                         "audio/x-raw");
    // The first sound stream plays; video and further sound streams stay unlinked.
    if (!sound || m_linked.exchange(true)) return;
    const gst::Ref<GstPad> input(gst_element_get_static_pad(m_convert, "sink"));
    if (gst_pad_link(pad, input.get()) != GST_PAD_LINK_OK) m_linked = false;
}

void GstTrackFile::noMorePads() {
    if (!m_linked)
        GST_ELEMENT_ERROR(m_pipeline.get(), STREAM, CODEC_NOT_FOUND, ("No sound in this file"),
                          (nullptr));
}

bool GstTrackFile::seekToStart(bool flush) {
    m_flowing = false;
    const auto flags = GstSeekFlags(GST_SEEK_FLAG_SEGMENT | (flush ? GST_SEEK_FLAG_FLUSH : 0));
    GstEvent* seek = gst_event_new_seek(1.0, GST_FORMAT_TIME, flags, GST_SEEK_TYPE_SET, 0,
                                        GST_SEEK_TYPE_SET, GST_CLOCK_TIME_NONE);
    if (flush) return gst_element_send_event(m_pipeline.get(), seek);
    // Without a flush the seek waits until the decoder has room for the next turn.
    // Sent from a pad it holds no lock of the pipeline meanwhile, so stopping the
    // pipeline or a rewind is never held up by it.
    const gst::Ref<GstPad> output(gst_element_get_static_pad(m_convert, "src"));
    return gst_pad_send_event(output.get(), seek);
}

// On the watcher thread: starts every next turn of the file.
void GstTrackFile::watch() {
    const auto types = GstMessageType(GST_MESSAGE_ERROR | GST_MESSAGE_EOS |
                                      GST_MESSAGE_SEGMENT_DONE | GST_MESSAGE_APPLICATION);
    bool turnDue = m_endedEarly;  // the file was played to its end: the next turn is due
    for (;;) {
        // A turn starts once the last one gave sound, so a file that stopped giving
        // any is never started over and over.
        if (turnDue && m_flowing && !m_quitting) {
            turnDue = false;
            seekToStart(false);
        }
        const gst::Ref<GstMessage> message(gst_bus_timed_pop_filtered(
            m_bus.get(), turnDue ? 10 * GST_MSECOND : GST_CLOCK_TIME_NONE, types));
        if (!message) continue;
        const GstMessageType type = GST_MESSAGE_TYPE(message.get());
        if (m_quitting) return;
        if (type == GST_MESSAGE_ERROR) {
            m_broken = true;
            turnDue = false;
        } else if (type == GST_MESSAGE_SEGMENT_DONE) {
            turnDue = !m_broken;
        } else if (type == GST_MESSAGE_EOS && !m_broken && !seekToStart(true)) {
            // A file that cannot go back to its start: open it again.
            m_linked = false;
            gst_element_set_state(m_pipeline.get(), GST_STATE_READY);
            gst_element_set_state(m_pipeline.get(), GST_STATE_PLAYING);
        }
    }
}

void GstTrackFile::rewind() {
    // The flush empties the decoder and the sink at once, so the caller waits only
    // for the first sound from the start.
    seekToStart(true);
    dropAhead();
    m_lastTime = GST_CLOCK_TIME_NONE;
    m_ended = false;
    fillAhead(aheadBytes / 2, rewindLimitNs);
}

void GstTrackFile::dropAhead() {
    m_ahead.clear();
    m_aheadBytes = 0;
    m_offset = 0;
}

// Takes what the sink holds, up to a second of sound, without waiting.
void GstTrackFile::takeDecoded() {
    while (m_aheadBytes < aheadBytes) {
        const gst::Ref<GstSample> sample(gst_app_sink_try_pull_sample(m_sink, 0));
        if (!sample) return;
        // A sample from earlier in the file than the last one starts the next turn.
        const guint64 at = positionOf(sample.get());
        const bool startsTurn =
            at != GST_CLOCK_TIME_NONE && m_lastTime != GST_CLOCK_TIME_NONE && at <= m_lastTime;
        if (at != GST_CLOCK_TIME_NONE) m_lastTime = at;
        // Only the sound is kept: the sink reuses its sample once it is given back.
        GstBuffer* buffer = gst_sample_get_buffer(sample.get());
        if (buffer) {
            m_ahead.push_back({gst::Ref<GstBuffer>(gst_buffer_ref(buffer)), startsTurn});
            m_aheadBytes += gst_buffer_get_size(buffer);
        }
    }
}

void GstTrackFile::fillAhead(std::size_t bytes, std::int64_t limitNs) {
    const std::int64_t deadline = nowNs() + limitNs;
    for (takeDecoded(); m_aheadBytes < bytes && !m_broken && nowNs() < deadline; takeDecoded())
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

std::size_t GstTrackFile::read(std::int16_t* out, std::size_t frames, bool loop) {
    takeDecoded();
    if (loop) m_ended = false;
    std::size_t done = 0;
    while (done < frames && !m_ended && !m_ahead.empty()) {
        Block& block = m_ahead.front();
        if (block.startsTurn) {
            if (!loop) {
                m_ended = true;
                break;
            }
            block.startsTurn = false;
        }
        const std::size_t size = gst_buffer_get_size(block.buffer.get());
        const std::size_t take = std::min(frames - done, (size - m_offset) / frameBytes());
        gst_buffer_extract(block.buffer.get(), m_offset, out + done * 2, take * frameBytes());
        m_offset += take * frameBytes();
        done += take;
        if (m_offset + frameBytes() > size) {
            m_aheadBytes -= size;
            m_ahead.pop_front();
            m_offset = 0;
        }
    }
    // A decoder that gives nothing for long, though it is read, has stopped.
    if (done > 0 || m_ended || frames == 0) {
        m_starvedSince = -1;
    } else if (m_starvedSince < 0) {
        m_starvedSince = nowNs();
    } else if (nowNs() - m_starvedSince > starvedLimitNs) {
        m_broken = true;
    }
    return done;
}

extern "C" __attribute__((visibility("default"))) TrackFile* alarmOpenTrack(const char* path) {
    try {
        return GstTrackFile::open(path ? path : "").release();
    } catch (...) {  // nothing may leave the module but a track or null
        return nullptr;
    }
}
