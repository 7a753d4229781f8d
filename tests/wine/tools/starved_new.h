// A test seam for memory running out: a test tool that links starved_new.cpp
// gets an operator new that can be told to fail. Only the thread that asks
// is starved; others (download workers) allocate as usual.
#pragma once

// From now on, on this thread, `allowed` more allocations succeed and every
// one after them throws std::bad_alloc.
void StarveAfter(long allowed);
// Allocations succeed again on this thread.
void Feed();
