// Voices live in the mixer and may end there on their own, so this class keeps only their
// serial numbers and looks them up when it needs them.
#include "swf/audio/MovieSound.h"

#include <algorithm>

#include "swf/audio/EventVoice.h"
#include "swf/audio/SoundChunks.h"
#include "swf/audio/StreamVoice.h"

namespace saver::swf {

MovieSound::MovieSound(const Movie& movie, AudioMixer& mixer, Interpolation mode)
    : movie_(movie), mixer_(mixer), mode_(mode) {}

MovieSound::~MovieSound() {
    stopAll();
}

void MovieSound::onFrames(const std::vector<FrameEntry>& entries) {
    for (const FrameEntry& entry : entries) {
        if (!entry.timeline || entry.frame < 0 ||
            static_cast<std::size_t>(entry.frame) >= entry.timeline->frames.size())
            continue;
        const Frame& frame = entry.timeline->frames[static_cast<std::size_t>(entry.frame)];
        for (const StartSound& start : frame.sounds) startSound(start, entry);
        if (entry.timeline->streamHead) feedStream(entry, frame);
    }
    reapStreams();
    std::erase_if(voices_, [&](std::uint64_t serial) { return !mixer_.find(serial); });
    std::erase_if(frameVoices_, [&](const FrameVoice& v) { return !mixer_.find(v.serial); });
}

void MovieSound::prepare(const std::vector<FrameEntry>& entries) {
    for (const FrameEntry& entry : entries) {
        if (!entry.timeline || entry.frame < 0 ||
            static_cast<std::size_t>(entry.frame) >= entry.timeline->frames.size())
            continue;
        for (const StartSound& start :
             entry.timeline->frames[static_cast<std::size_t>(entry.frame)].sounds)
            if (start.soundId != 0 && !start.info.syncStop && movie_.sounds.count(start.soundId))
                decoded(start.soundId);
    }
}

void MovieSound::prepareCommands(const std::vector<SoundCommand>& commands) {
    for (const SoundCommand& c : commands)
        if (c.kind == SoundCommand::Kind::Start && movie_.sounds.count(c.soundId))
            decoded(c.soundId);
}

namespace {
AudioMixer::Gains GainsOf(const SoundTransform& t) {
    const auto f = [&](double v) { return static_cast<float>(v / 100 * t.volume / 100); };
    return {f(t.ll), f(t.lr), f(t.rl), f(t.rr)};
}
}  // namespace

void MovieSound::onCommands(const std::vector<SoundCommand>& commands) {
    bool remix = false;
    for (const SoundCommand& c : commands) {
        switch (c.kind) {
            case SoundCommand::Kind::ClipTransform:
            case SoundCommand::Kind::GlobalTransform:
                remix = mixes_.take(c) || remix;
                break;
            case SoundCommand::Kind::Start: {
                if (!movie_.sounds.count(c.soundId)) break;
                SoundInfo info;
                info.loopCount = static_cast<std::uint16_t>(std::clamp(c.loops, 1, 65535));
                if (c.offsetSeconds > 0)
                    info.inPoint =
                        static_cast<std::uint32_t>(std::min(c.offsetSeconds * kMixRate, 4.0e9));
                const std::uint64_t serial = mixer_.add(
                    std::make_unique<EventVoice>(c.soundId, decoded(c.soundId), info, mode_));
                if (!(c.transform == SoundTransform{}))
                    mixer_.setGains(serial, GainsOf(c.transform));
                voices_.push_back(serial);
                channels_[c.channel] = serial;
                break;
            }
            case SoundCommand::Kind::Stop:
                if (const auto it = channels_.find(c.channel); it != channels_.end()) {
                    mixer_.remove(it->second);
                    channels_.erase(it);
                }
                break;
            case SoundCommand::Kind::StopAll:
                stopAll();
                break;
            case SoundCommand::Kind::StopClip:
                stopClip(c.clip);
                break;
            case SoundCommand::Kind::Transform:
                if (const auto it = channels_.find(c.channel); it != channels_.end())
                    mixer_.setGains(it->second, GainsOf(c.transform));
                break;
        }
    }
    std::erase_if(channels_, [&](const auto& kv) { return !mixer_.find(kv.second); });
    if (remix) remixFrameVoices();
}

// Frame voices play under their clip's transform; the identity leaves the mixer's default.
void MovieSound::followClip(std::uint64_t serial,
                            const std::weak_ptr<const TimelineInstance>& clip) {
    frameVoices_.push_back({serial, clip});
    if (mixes_.empty()) return;
    const auto alive = clip.lock();
    const SoundTransform t = mixes_.effective(alive.get());
    if (!(t == SoundTransform{})) mixer_.setGains(serial, GainsOf(t));
}

void MovieSound::stopClip(const std::weak_ptr<const TimelineInstance>& clip) {
    const auto target = clip.lock();
    if (!target) return;
    std::erase_if(frameVoices_, [&](const FrameVoice& v) {
        if (v.clip.lock() != target) return false;
        mixer_.remove(v.serial);
        return true;
    });
}

void MovieSound::remixFrameVoices() {
    std::erase_if(frameVoices_, [&](const FrameVoice& v) { return !mixer_.find(v.serial); });
    for (const FrameVoice& v : frameVoices_) {
        const auto alive = v.clip.lock();
        mixer_.setGains(v.serial, GainsOf(mixes_.effective(alive.get())));
    }
}

void MovieSound::stopAll() {
    for (std::uint64_t serial : voices_) mixer_.remove(serial);
    voices_.clear();
    streams_.clear();
    channels_.clear();
    frameVoices_.clear();
}

std::size_t MovieSound::rootStreamQueued() const {
    for (const auto& [key, stream] : streams_) {
        if (!stream.root) continue;
        if (const auto* voice = dynamic_cast<const StreamVoice*>(mixer_.find(stream.serial)))
            return voice->queuedFrames();
    }
    return 0;
}

bool MovieSound::trimRootStream(std::size_t limit, std::size_t keep) {
    for (const auto& [key, stream] : streams_) {
        if (!stream.root) continue;
        auto* voice = dynamic_cast<StreamVoice*>(mixer_.find(stream.serial));
        if (!voice || voice->sourceRate() <= 0) return false;
        const double perOutput = voice->sourceRate() / kMixRate;
        const auto queued = static_cast<double>(voice->queuedFrames());
        if (queued <= static_cast<double>(limit) * perOutput) return false;
        voice->dropQueued(static_cast<std::size_t>(queued - static_cast<double>(keep) * perOutput));
        return true;
    }
    return false;
}

void MovieSound::startSound(const StartSound& start, const FrameEntry& entry) {
    if (start.soundId == 0 || !movie_.sounds.count(start.soundId)) return;
    const std::uint16_t id = start.soundId;
    auto mine = [&](const SoundVoice& v) {
        return v.kind() == VoiceKind::Event && v.soundId() == id;
    };
    if (start.info.syncStop) {
        mixer_.removeIf(mine);
        return;
    }
    if (start.info.syncNoMultiple && mixer_.any(mine)) return;
    const std::uint64_t serial =
        mixer_.add(std::make_unique<EventVoice>(id, decoded(id), start.info, mode_));
    voices_.push_back(serial);
    followClip(serial, entry.instance);
}

void MovieSound::feedStream(const FrameEntry& entry, const Frame& frame) {
    const auto instance = entry.instance.lock();
    if (!instance) return;
    Stream& stream = streams_[instance.get()];
    if (stream.instance.lock() != instance) {  // new, or an address a removed timeline had
        mixer_.remove(stream.serial);
        stream = Stream{};
        stream.instance = instance;
    }
    auto* voice = dynamic_cast<StreamVoice*>(mixer_.find(stream.serial));
    if (voice && (!entry.continued || voice->closed())) {
        mixer_.remove(stream.serial);
        voice = nullptr;
    }
    if (!frame.streamBlock) return;  // a frame without a block: the queue plays on
    if (!voice) {
        auto fresh = std::make_unique<StreamVoice>(*entry.timeline->streamHead, mode_);
        if (const auto skip = laterBlockSeek(entry)) fresh->setStartSkip(*skip);
        voice = fresh.get();
        stream.serial = mixer_.add(std::move(fresh));
        stream.root = entry.timeline == &movie_.root;
        voices_.push_back(stream.serial);
        followClip(stream.serial, entry.instance);
    }
    voice->feed(frame.streamBlock->data);
}

// MP3 blocks carry SeekSamples, the samples of their first frame that belong to the block
// before: a stream that starts at a block other than the timeline's first drops those.
std::optional<std::size_t> MovieSound::laterBlockSeek(const FrameEntry& entry) const {
    const Timeline& timeline = *entry.timeline;
    if (timeline.streamHead->stream.codec != SoundCodec::Mp3) return std::nullopt;
    for (int f = 0; f < entry.frame; ++f) {
        if (!timeline.frames[static_cast<std::size_t>(f)].streamBlock) continue;
        const auto& data = timeline.frames[static_cast<std::size_t>(entry.frame)].streamBlock->data;
        if (data.size() < 4) return std::size_t{0};
        return static_cast<std::size_t>(
            std::max(0, static_cast<int>(static_cast<std::int16_t>(data[2] | data[3] << 8))));
    }
    return std::nullopt;  // the first block: the head's latency applies
}

// A stream whose timeline stopped plays out what it has; one whose timeline is gone stops now.
void MovieSound::reapStreams() {
    for (auto it = streams_.begin(); it != streams_.end();) {
        const auto instance = it->second.instance.lock();
        auto* voice = dynamic_cast<StreamVoice*>(mixer_.find(it->second.serial));
        if (!instance || !voice) {
            mixer_.remove(it->second.serial);
            it = streams_.erase(it);
            continue;
        }
        if (!instance->playing()) voice->close();
        ++it;
    }
}

std::shared_ptr<const PcmBuffer> MovieSound::decoded(std::uint16_t id) {
    auto& slot = cache_[id];
    if (!slot) slot = DecodeDefinedSound(movie_.sounds.at(id));
    return slot;
}

}  // namespace saver::swf
