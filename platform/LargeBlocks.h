#pragma once

namespace tavero {

// Makes every block of a picture's size (1 MiB and more) a mapping of its
// own, given back to the system when it is freed. The C library otherwise
// raises that limit to the largest block freed so far, up to 32 MiB: after
// the first 4K screenshot, the next ones come from the heap, whose freed
// pages it keeps, and a program left in the tray grew by about 9 MB with
// each capture. Call once, before the first picture is made.
void giveLargeBlocksBackWhenFreed();

}  // namespace tavero
