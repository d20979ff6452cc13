#include "library/ProjectParser.h"

#include "library/LibraryMessages.h"
#include "platform/JsonStream.h"
#include "platform/JsonValueBuilder.h"
#include "platform/ShotError.h"
#include "platform/files/RegularFileStream.h"

#include <algorithm>
#include <optional>

namespace tavero {

namespace {

using json::Json;

// A mark of ours holds fifteen values besides its points (its id, tool,
// width, text and font size, the points' array, the ink and its four
// components, the cover settings and their three); the rest is room for the
// keys of a later version.
constexpr qsizetype maxValuesBesidePoints = 100;
// Values of the keys a project of ours does not have, outside its marks.
constexpr qsizetype maxIgnoredValues = 1'000;

// How deep the parts of a project lie: its keys, the marks in their array,
// a mark's keys, and the points in their array.
constexpr int fieldDepth = 1;
constexpr int markDepth = 2;
constexpr int markKeyDepth = 3;
constexpr int pointDepth = 4;

// Nothing in a project nests deeper than the numbers of a point, in their
// array within the points of a mark. The longest string besides the picture
// is a label's text, each character written at worst as a six-byte escape.
constexpr json::TextLimits textLimits{.depth = pointDepth + 1, .string = 6 * markLimits::maxTextLength + 2};

const char* const markKeys[] = {"id", "tool", "points", "ink", "width", "text", "fontSize", "obscure"};

bool isMarkKey(const std::string& name) {
    return std::find(std::begin(markKeys), std::end(markKeys), name) != std::end(markKeys);
}

[[noreturn]] void refuse() { throw ShotError(library::messages::unreadableProject()); }
[[noreturn]] void malformed(const std::string& what) { throw json::DecodeError(what); }

class Parser final : public json::ValueEvents {
public:
    explicit Parser(json::TextWatch& watch) : watch_(watch) {}

    EditableShot shot() && {
        Json fields = Json::object();
        if (version_) fields["version"] = std::move(*version_);
        if (png_) fields["png"] = std::move(*png_);
        EditableShot shot;
        shot.version = json::requireInt(fields, "version");
        shot.png = json::bytesFromJson(json::require(fields, "png"));
        if (!marksRead_) malformed("missing \"marks\"");
        // Checked as each mark ended; once more as the writer checks them.
        if (!withinProjectLimits(marks_)) refuse();
        shot.marks = std::move(marks_);
        return shot;
    }

    bool key(string_t& name) override {
        if (skipping()) return true;
        if (depth_ == fieldDepth) {
            field_ = fieldNamed(name);
            if (field_ == Field::png) watch_.allowLongString(projectFile::largestPicture);
        } else if (depth_ == markKeyDepth) {
            keptKey_ = isMarkKey(name);
            pointsKey_ = name == "points";
            if (keptKey_) mark_.key(std::move(name));
        } else {
            mark_.key(std::move(name));
        }
        return true;
    }

private:
    enum class Field { other, version, png, marks };

    static Field fieldNamed(const std::string& name) {
        if (name == "version") return Field::version;
        if (name == "png") return Field::png;
        if (name == "marks") return Field::marks;
        return Field::other;
    }

    bool skipping() const { return skippedFrom_.has_value(); }

    bool scalar(Json value) override {
        if (skipping()) return countSkipped();
        switch (depth_) {
        case 0: malformed("a project is an object");
        case fieldDepth: keepField(std::move(value)); return true;
        case markDepth: malformed("a mark is an object");
        default: addToMark(std::move(value)); return true;
        }
    }

    bool open(Json container) override {
        if (skipping())
            countSkipped();
        else
            enter(std::move(container));
        ++depth_;
        return true;
    }

    bool close() override {
        --depth_;
        if (skipping()) {
            if (depth_ == *skippedFrom_) skippedFrom_.reset();
            return true;
        }
        switch (depth_) {
        case 0: return true;
        case fieldDepth: marksRead_ = true; return true;
        case markDepth: endMark(); return true;
        default:
            if (depth_ == markKeyDepth) pointsOpen_ = false;
            mark_.close();
            return true;
        }
    }

    void keepField(Json value) {
        switch (field_) {
        case Field::version: version_ = std::move(value); return;
        case Field::png: png_ = std::move(value); return;
        case Field::marks: malformed("\"marks\" is not an array");
        case Field::other: countIgnored(); return;
        }
    }

    void enter(Json container) {
        switch (depth_) {
        case 0:
            if (!container.is_object()) malformed("a project is an object");
            return;
        case fieldDepth: return openField(container.is_array());
        case markDepth:
            if (!container.is_object()) malformed("a mark is an object");
            return beginMark();
        default:
            if (depth_ == markKeyDepth && !keptKey_) {
                countBesidePoints();
                skippedFrom_ = depth_;
                return;
            }
            count(depth_);
            if (depth_ == markKeyDepth && pointsKey_ && container.is_array()) pointsOpen_ = true;
            mark_.open(std::move(container));
        }
    }

    void openField(bool array) {
        switch (field_) {
        case Field::version: malformed("\"version\" is not an integer");
        case Field::png: malformed("\"png\" is not a string");
        case Field::marks:
            if (!array) malformed("\"marks\" is not an array");
            // A later key of the same name stands, as in a parsed object.
            marks_.clear();
            points_ = 0;
            strokeLength_ = 0;
            textLength_ = 0;
            marksRead_ = false;
            return;
        case Field::other:
            countIgnored();
            skippedFrom_ = depth_;
            return;
        }
    }

    void beginMark() {
        if (marks_.size() >= markLimits::maxMarks) refuse();
        markPoints_ = 0;
        valuesBesidePoints_ = 0;
        keptKey_ = false;
        pointsKey_ = false;
        pointsOpen_ = false;
        mark_.open(Json::object());
    }

    void addToMark(Json value) {
        if (depth_ == markKeyDepth && !keptKey_) return countBesidePoints();
        count(depth_);
        mark_.add(std::move(value));
    }

    // A value passed over: of an unknown key of a mark, or outside the marks.
    bool countSkipped() {
        if (*skippedFrom_ >= markKeyDepth)
            countBesidePoints();
        else
            countIgnored();
        return true;
    }

    void countIgnored() {
        if (++ignoredValues_ > maxIgnoredValues) refuse();
    }

    void countBesidePoints() {
        if (++valuesBesidePoints_ > maxValuesBesidePoints) refuse();
    }

    // Counts a value starting at `depth` in the mark: a point when it is an
    // element of the points, a number of a point below that.
    void count(int depth) {
        if (!pointsOpen_) return countBesidePoints();
        if (depth == pointDepth) {
            if (++markPoints_ > markLimits::maxPoints || ++points_ > markLimits::maxProjectPoints) refuse();
            pointValues_ = 0;
            return;
        }
        if (++pointValues_ > 2) malformed("a point is an array of two numbers");
    }

    void endMark() {
        mark_.close();
        Mark mark = markFromJson(mark_.take());
        if (!withinLimits(mark)) refuse();
        strokeLength_ += strokeLength({mark});
        if (!(strokeLength_ <= markLimits::maxProjectStrokeLength)) refuse();
        textLength_ += mark.text.size();
        if (textLength_ > markLimits::maxProjectTextLength) refuse();
        marks_.append(std::move(mark));
    }

    json::TextWatch& watch_;
    int depth_ = 0;
    std::optional<int> skippedFrom_;  // passing over a value opened at this depth
    Field field_ = Field::other;
    std::optional<Json> version_;
    std::optional<Json> png_;
    bool marksRead_ = false;
    QList<Mark> marks_;
    qsizetype points_ = 0;
    double strokeLength_ = 0;
    qsizetype textLength_ = 0;
    qsizetype ignoredValues_ = 0;

    // The mark being read.
    json::ValueBuilder mark_;
    bool keptKey_ = false;
    bool pointsKey_ = false;
    bool pointsOpen_ = false;
    qsizetype markPoints_ = 0;
    qsizetype pointValues_ = 0;
    qsizetype valuesBesidePoints_ = 0;
};

template <typename Iterator>
EditableShot parse(Iterator begin, Iterator end) {
    json::TextWatch watch(textLimits);
    Parser parser(watch);
    try {
        json::parseWatched(std::move(begin), std::move(end), watch, parser);
    } catch (const json::BeyondLimit&) {
        refuse();
    }
    return std::move(parser).shot();
}

}  // namespace

EditableShot parseProject(const QByteArray& text) { return parse(text.constBegin(), text.constEnd()); }

EditableShot parseProject(RegularFileStream& file) { return parse(file.begin(), file.end()); }

}  // namespace tavero
