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

}  // namespace tavero::selftests
