#pragma once

// Asks the C library to keep freed memory for the process's next allocations instead of
// handing it back to the system at once. A printout builds each page of its document in
// buffers that grow to megabytes and are freed at the page's end; handed back each time, the
// next page faults the same memory in again, which costs a printout about a quarter of its
// time. Call once, before the first window.
void KeepFreedMemoryForReuse();
