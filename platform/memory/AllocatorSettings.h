#pragma once

// How the C library's allocator serves the program: its settings, made once
// at the start, and giving back the free memory it keeps.
namespace tavero {

// Makes every block of a picture's size (1 MiB and more) a mapping of its
// own, given back to the system when it is freed. The C library otherwise
// raises that limit to the largest block freed so far, up to 32 MiB: after
// the first 4K screenshot, the next ones come from the heap, whose freed
// pages it keeps, and a program left in the tray grew by about 9 MB with
// each capture. Call once, before the first picture is made.
void giveLargeBlocksBackWhenFreed();

// Makes every thread allocate from the one arena, whose free memory
// giveFreedMemoryBack() can return. The C library otherwise gives busy
// threads arenas of their own and returns the free top of such an arena only
// when a block of 64 KiB or more is freed into it: after a take and its
// render, ten of them held 27 MB of free memory for good. Rendering is as
// fast either way here. Call once, before other threads start.
void allocateFromOneArena();

// Gives the system back the free memory the C library keeps (about 60 MB
// after a take and its render). For when the program goes idle.
void giveFreedMemoryBack();

}  // namespace tavero
