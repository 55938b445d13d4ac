#pragma once

#include <cstddef>

// Asks the C library to keep freed memory for the process's next allocations instead of
// handing it back to the system at once. A printout builds each page of its document in
// buffers that grow to megabytes and are freed at the page's end; handed back each time, the
// next page faults the same memory in again, which costs a printout about a quarter of its
// time. Call once, before the first window.
void KeepFreedMemoryForReuse();

// Asks the system to back the memory of a large block with huge pages where it can. A file
// read back whole fills hundreds of megabytes; page by page, the faults that hand them out
// cost more than reading and parsing the file. Only whole huge pages inside the block are
// affected; a block too small for one is left as it is.
void PreferHugePages(const void *block, std::size_t bytes);

// Makes room for count elements in a vector that is to grow large, on huge pages where it can.
template <typename Vector> void ReserveLarge(Vector &vector, std::size_t count)
{
    vector.reserve(count);
    PreferHugePages(vector.data(), vector.capacity() * sizeof(typename Vector::value_type));
}
