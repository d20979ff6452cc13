#include "camera/RecordingProjectParser.h"

#include "platform/JsonStream.h"
#include "platform/JsonValueBuilder.h"
#include "platform/files/RegularFileStream.h"

#include <optional>

namespace tavero {

namespace {

using json::Json;

// How deep the parts of a sidecar lie: its keys, the samples in their
// array, and a sample's keys.
constexpr int fieldDepth = 1;
constexpr int sampleDepth = 2;

// A sample of ours holds five values; the rest is room for the keys of a
// later version.
constexpr qsizetype maxValuesPerSample = 16;
// A sidecar of ours holds about twenty values besides its samples: the
// names, the duration, the effects and the camera's framing.
constexpr qsizetype maxValuesBesideSamples = 1'000;

// Nothing nests deeper than a sample's values. The longest string is the
// name of a recorded window: its program's and its title, each an X11
// property of at most 256 KiB, every byte written at worst as a six-byte
// escape.
constexpr json::TextLimits textLimits{.depth = sampleDepth + 1, .string = qsizetype(4) << 20};

[[noreturn]] void malformed(const std::string& what) { throw json::DecodeError(what); }
[[noreturn]] void beyond(const std::string& what) { throw json::BeyondLimit(what); }

class Parser final : public json::ValueEvents {
public:
    RecordingProject project() && {
        if (!samplesRead_) malformed("missing \"samples\"");
        Json fields = fields_.take();
        fields["samples"] = Json::array();
        RecordingProject project = recordingProjectFromJson(fields);
        project.samples = std::move(samples_);
        return project;
    }

    bool key(string_t& name) override {
        if (skipping()) return true;
        if (depth_ == fieldDepth) field_ = fieldNamed(name);
        if (field_ == Field::samples && depth_ > fieldDepth)
            sample_.key(std::move(name));
        else if (field_ == Field::kept)
            fields_.key(std::move(name));
        return true;
    }

private:
    enum class Field { other, kept, samples };

    static Field fieldNamed(const std::string& name) {
        if (name == "samples") return Field::samples;
        static const char* const kept[] = {"version", "sourceFile",    "targetName",   "duration",
                                           "effects", "backgroundFile", "portraitBaked", "cameraFraming"};
        for (const char* known : kept)
            if (name == known) return Field::kept;
        return Field::other;
    }

    bool skipping() const { return skippedFrom_.has_value(); }

    bool scalar(Json value) override {
        if (depth_ == 0) malformed("a project is an object");
        if (field_ != Field::samples || skipping()) return keep(std::move(value));
        if (depth_ == fieldDepth) malformed("\"samples\" is not an array");
        if (depth_ == sampleDepth) malformed("a sample is an object");
        if (++sampleValues_ > maxValuesPerSample) beyond("a sample of too many values");
        sample_.add(std::move(value));
        return true;
    }

    // A value outside the samples: built when its key is one of ours.
    bool keep(Json value) {
        countBesideSamples();
        if (field_ == Field::kept) fields_.add(std::move(value));
        return true;
    }

    bool open(Json container) override {
        enter(std::move(container));
        ++depth_;
        return true;
    }

    void enter(Json container) {
        if (depth_ == 0) {
            if (!container.is_object()) malformed("a project is an object");
            return fields_.open(std::move(container));
        }
        if (field_ != Field::samples || skipping()) {
            countBesideSamples();
            if (field_ == Field::kept)
                fields_.open(std::move(container));
            else if (!skipping())
                skippedFrom_ = depth_;
            return;
        }
        if (depth_ == fieldDepth) return beginSamples(container.is_array());
        if (!container.is_object()) malformed("a sample is an object");
        if (samples_.size() >= RecordingProject::maxSamples) beyond("more samples than a take holds");
        sampleValues_ = 0;
        sample_.open(std::move(container));
    }

    void beginSamples(bool array) {
        if (!array) malformed("\"samples\" is not an array");
        // A later key of the same name stands, as in a parsed object.
        samples_.clear();
        samplesRead_ = false;
    }

    bool close() override {
        --depth_;
        if (skipping()) {
            if (depth_ == *skippedFrom_) skippedFrom_.reset();
        } else if (field_ != Field::samples || depth_ == 0) {
            if (field_ == Field::kept || depth_ == 0) fields_.close();
        } else if (depth_ == fieldDepth) {
            samplesRead_ = true;
        } else {
            sample_.close();
            samples_.append(cursorSampleFromJson(sample_.take()));
        }
        return true;
    }

    void countBesideSamples() {
        if (++valuesBesideSamples_ > maxValuesBesideSamples) beyond("too many values besides the samples");
    }

    int depth_ = 0;
    std::optional<int> skippedFrom_;  // passing over a value opened at this depth
    Field field_ = Field::other;
    json::ValueBuilder fields_;
    qsizetype valuesBesideSamples_ = 0;
    QList<CursorSample> samples_;
    bool samplesRead_ = false;
    json::ValueBuilder sample_;
    qsizetype sampleValues_ = 0;
};

template <typename Iterator>
RecordingProject parse(Iterator begin, Iterator end) {
    json::TextWatch watch(textLimits);
    Parser parser;
    json::parseWatched(std::move(begin), std::move(end), watch, parser);
    return std::move(parser).project();
}

}  // namespace

RecordingProject parseRecordingProject(const QByteArray& text) { return parse(text.constBegin(), text.constEnd()); }

RecordingProject parseRecordingProject(RegularFileStream& file) { return parse(file.begin(), file.end()); }

}  // namespace tavero
