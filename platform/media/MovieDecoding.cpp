#include "platform/media/MovieDecoding.h"

#include "platform/media/MediaError.h"
#include "platform/sound/SoundOutput.h"
#include "platform/threads/ThreadName.h"

#include <QLoggingCategory>

#include <algorithm>
#include <cmath>

namespace tavero::media {

Q_LOGGING_CATEGORY(lcPlayback, "tavero.playback")

namespace {

using namespace std::chrono_literals;

// Pictures decoded ahead of the one showing.
constexpr size_t picturesAhead = 3;
// Seconds of sound decoded ahead of the clock.
constexpr double soundAhead = 1.0;
// A picture this far behind the clock is dropped unconverted, and until one
// is on time again the pictures nothing is predicted from are not decoded:
// the decoder is catching up (a loaded machine, a video too large for it),
// and the sound goes on.
constexpr double lateBy = 0.1;
// While playing without sound, a server is looked for this often.
constexpr auto soundRetry = 2s;
// An output whose sound stands still this long while it plays is given up,
// as is one that does not start within soundRetry.
constexpr auto soundStall = 1s;
// Sound this far from where the stream stands is moved into place
// (silence over a gap, an overlap dropped); closer, it follows on.
constexpr double soundSlack = 0.03;
// How often the clock is set by what is heard.
constexpr auto followInterval = 20ms;

int framesOf(const MovieSound& sound, int channels) { return int(sound.samples.size() / size_t(channels)); }

}  // namespace

MovieDecoding::MovieDecoding(MovieShared& shared, QString path, double start, CancelToken cancel, Reports reports)
    : shared_(shared),
      path_(std::move(path)),
      start_(start),
      cancel_(std::move(cancel)),
      reports_(std::move(reports)) {}

MovieDecoding::~MovieDecoding() = default;

void MovieDecoding::run() {
    nameThisThread("tavero-movie");
    try {
        if (open()) work();
    } catch (const std::exception& error) {
        qCWarning(lcPlayback) << "playback ended:" << error.what();
        endPictures();
    }
    output_.reset();
    decoder_.reset();
}

bool MovieDecoding::open() {
    try {
        decoder_.emplace(path_, cancel_);
        if (start_ > 0) decoder_->seek(start_);
        std::optional<MovieFrame> first = decoder_->nextPicture();
        if (!first) throw MediaError("no picture", AVERROR_INVALIDDATA);
        queue(convert(std::move(*first)));
    } catch (const MediaError& error) {
        if (!error.abandoned()) qCInfo(lcPlayback) << "cannot play" << path_ << error.what();
        decoder_.reset();
        reports_.unplayable();
        return false;
    }
    soundDecodedTo_ = start_;
    reports_.opened(decoder_->duration(), decoder_->size(), decoder_->turn(), decoder_->hasSound());
    return true;
}

void MovieDecoding::work() {
    for (;;) {
        std::optional<double> seekTo;
        int generation = 0;
        bool resumed = false;
        {
            std::lock_guard guard(shared_.lock);
            if (shared_.stopping) return;
            seekTo = std::exchange(shared_.seekTo, std::nullopt);
            generation = shared_.generation;
            resumed = shared_.playing && !playing_;
            playing_ = shared_.playing;
        }
        try {
            if (step(seekTo, generation, resumed)) continue;
        } catch (const MediaError& error) {
            if (error.abandoned()) return;
            // A later seek may find the file readable again.
            qCWarning(lcPlayback) << "cannot decode further:" << error.what();
            soundEnded_ = true;
            endPictures();
        }
        std::unique_lock guard(shared_.lock);
        const auto woken = [&] { return shared_.poked || shared_.stopping; };
        if (playing_ && decoder_->hasSound()) shared_.wake.wait_for(guard, followInterval, woken);
        else shared_.wake.wait(guard, woken);
        shared_.poked = false;
    }
}

// One round of the thread's work; false when it has nothing left to do
// until something changes.
bool MovieDecoding::step(std::optional<double> seekTo, int generation, bool resumed) {
    const Time now = std::chrono::steady_clock::now();
    if (seekTo) seek(*seekTo, generation, now);
    if (resumed) {
        // Played again: a missing server is looked for at once, and the
        // sound has not stood still for long.
        nextOutput_ = {};
        heardMoved_ = now;
    }
    keepOutput(now);
    feedOutput();
    followSound(now);
    return decodeAhead();
}

void MovieDecoding::seek(double time, int generation, Time now) {
    generation_ = generation;
    decoder_->seek(time);
    picturesEnded_ = false;
    queuedSinceSeek_ = false;
    soundEnded_ = false;
    soundFinished_ = false;
    sound_.clear();
    used_ = 0;
    soundDecodedTo_ = time;
    segment_.reset();
    heard_.reset();
    if (!output_) return;
    output_->restart();
    outputMade_ = now;
}

// Makes an output while playing a movie with sound, gives up one whose
// server went away or that stands still, and pauses it with the playback.
void MovieDecoding::keepOutput(Time now) {
    if (!decoder_->hasSound()) return;
    if (output_ && (output_->lost() || outputStalled(now))) dropOutput(now);
    if (!output_ && playing_ && now >= nextOutput_) {
        output_ = std::make_unique<SoundOutput>(decoder_->soundRate(), decoder_->soundChannels(),
                                                [this] { shared_.poke(); });
        outputMade_ = now;
        nextOutput_ = now + soundRetry;
    }
    if (output_) output_->setPaused(!playing_);
}

void MovieDecoding::dropOutput(Time now) {
    output_.reset();
    segment_.reset();
    heard_.reset();
    std::lock_guard guard(shared_.lock);
    if (shared_.generation == generation_) shared_.clock.runFree(now);
}

bool MovieDecoding::outputStalled(Time now) {
    if (!output_->ready()) return now - outputMade_ > soundRetry;
    return playing_ && segment_ && heard_ && !soundFinished_ && now - heardMoved_ > soundStall;
}

// Writes the decoded sound in order into the stream, as far as it takes
// it, and says when no more comes. Without a stream, the sound behind the
// clock is let go.
void MovieDecoding::feedOutput() {
    outputHungry_ = false;
    if (!output_ || !output_->ready()) {
        forgetPlayedSound(clockPosition());
        return;
    }
    const int channels = decoder_->soundChannels();
    const double rate = decoder_->soundRate();
    int room = output_->room();
    while (room > 0 && !sound_.empty()) {
        if (!segment_) {
            const double start = clockPosition();
            segment_ = Segment{start, start};
            heardMoved_ = std::chrono::steady_clock::now();
        }
        MovieSound& first = sound_.front();
        const int left = framesOf(first, channels) - int(used_);
        const double gap = first.time + double(used_) / rate - segment_->next;
        int frames = 0;
        if (gap > soundSlack) {
            frames = std::min(room, int(std::lround(gap * rate)));
            writeSilence(frames);
        } else if (gap < -soundSlack) {
            used_ += size_t(std::min(left, int(std::lround(-gap * rate))));
        } else {
            frames = std::min(room, left);
            output_->write(first.samples.data() + used_ * size_t(channels), frames);
            used_ += size_t(frames);
        }
        segment_->next += frames / rate;
        room -= frames;
        if (used_ == size_t(framesOf(first, channels))) {
            sound_.pop_front();
            used_ = 0;
        }
    }
    outputHungry_ = room > 0;
    if (soundEnded_ && sound_.empty() && segment_ && !segment_->finished) {
        output_->finish();
        segment_->finished = true;
    }
}

// Sets the clock by the sound heard; once everything was heard, lets it run
// on alone.
void MovieDecoding::followSound(Time now) {
    if (!output_ || !segment_ || !playing_ || soundFinished_) return;
    const std::optional<double> heard = output_->heard();
    if (!heard) return;
    if (!heard_ || *heard > *heard_) heardMoved_ = now;
    heard_ = heard;
    const bool allHeard = soundEnded_ && sound_.empty() && segment_->start + *heard >= segment_->next - 0.01;
    std::lock_guard guard(shared_.lock);
    if (shared_.generation != generation_) return;
    if (allHeard) {
        soundFinished_ = true;
        shared_.clock.runFree(now);
    } else {
        shared_.clock.follow(segment_->start + *heard, now);
    }
}

// Decodes what is wanted next: sound for as long as the output takes more
// (a second ahead of the clock without one), then pictures up to a few
// ahead. False when nothing is wanted.
bool MovieDecoding::decodeAhead() {
    if (decoder_->hasSound() && !soundEnded_ && (outputHungry_ || soundDecodedTo_ < clockPosition() + soundAhead)) {
        std::optional<MovieSound> sound = decoder_->nextSound();
        if (!sound) soundEnded_ = true;
        else {
            soundDecodedTo_ = sound->time + double(framesOf(*sound, decoder_->soundChannels())) / decoder_->soundRate();
            sound_.push_back(std::move(*sound));
        }
        return true;
    }
    if (picturesEnded_) return false;
    {
        std::lock_guard guard(shared_.lock);
        if (shared_.pictures.size() >= picturesAhead) return false;
    }
    std::optional<MovieFrame> picture = decoder_->nextPicture();
    if (!picture) {
        endPictures();
        return true;
    }
    const bool behind = late(*picture);
    decoder_->skipUnreferencedPictures(behind);
    if (!behind) queue(convert(std::move(*picture)));
    return true;
}

// The first picture of a seek is never late: it is what shows.
bool MovieDecoding::late(const MovieFrame& picture) {
    return queuedSinceSeek_ && playing_ && picture.time < clockPosition() - lateBy;
}

QueuedPicture MovieDecoding::convert(MovieFrame frame) {
    QSize bounds;
    {
        std::lock_guard guard(shared_.lock);
        bounds = shared_.bounds;
    }
    QImage image = uprightPicture(*frame.frame, decoder_->turn(), fittedSize(decoder_->size(), bounds));
    return {generation_, std::make_shared<MovieFrame>(std::move(frame)), std::move(image)};
}

void MovieDecoding::queue(QueuedPicture picture) {
    queuedSinceSeek_ = true;
    {
        std::lock_guard guard(shared_.lock);
        if (shared_.generation != picture.generation) return;
        shared_.pictures.push_back(std::move(picture));
    }
    reports_.picturesArrived();
}

void MovieDecoding::endPictures() {
    picturesEnded_ = true;
    {
        std::lock_guard guard(shared_.lock);
        if (shared_.generation != generation_) return;
        shared_.picturesEnded = true;
    }
    reports_.picturesArrived();
}

double MovieDecoding::clockPosition() {
    std::lock_guard guard(shared_.lock);
    return shared_.clock.position(std::chrono::steady_clock::now());
}

void MovieDecoding::forgetPlayedSound(double position) {
    const int channels = decoder_->soundChannels();
    while (!sound_.empty() &&
           sound_.front().time + double(framesOf(sound_.front(), channels)) / decoder_->soundRate() <= position) {
        sound_.pop_front();
        used_ = 0;
    }
}

void MovieDecoding::writeSilence(int frames) {
    const std::vector<float> silence(size_t(frames) * size_t(decoder_->soundChannels()), 0.0f);
    output_->write(silence.data(), frames);
}

}  // namespace tavero::media
