#pragma once

#include <QString>

namespace tavero {

// A bound of markLimits that an edit reached: the edit stopped there, and
// everything made before it is kept.
enum class EditLimit {
    marks,          // no further mark on this picture
    strokePoints,   // the pen stroke holds all the points a mark may
    projectPoints,  // the marks hold all the points a picture may
    strokeLength,   // the pen strokes are as long as they may be together
    labelLength,    // the label holds all the text one label may
    projectText,    // the labels hold all the text a picture may
};

// The status line's sentence for `limit`.
QString sentence(EditLimit limit);

}  // namespace tavero
