#pragma once

// The check groups of "--self-test", one file each, in run order.
namespace tavero::selftests {

class SelfTestRun;

// The first-run workspace flow and its practice walkthrough.
void checkWorkspaceFlow(SelfTestRun& run);
// The pixel size of captures at several backing scales.
void checkCaptureSizes(SelfTestRun& run);
// Rendering, redaction, a PNG round trip, rotation and flipping.
void checkRendering(SelfTestRun& run);
// Scrolling-capture matching and stitching on the pattern and the text page.
void checkStitching(SelfTestRun& run);
// Document defaults, resizing, frames, covers, stored covers, undo and crop.
void checkDocuments(SelfTestRun& run);
// Text labels: selecting, typing, styles, drafts, Escape and reopened projects.
void checkEditableText(SelfTestRun& run);
// The capture library: background saves, the manifest and its pruning.
void checkLibrary(SelfTestRun& run);
// Archiving a retaken recording, and restoring it when the Trash fails.
void checkRetake(SelfTestRun& run);
// The visual samples, and text recognition on the practice picture.
void checkRecognition(SelfTestRun& run);

}  // namespace tavero::selftests
