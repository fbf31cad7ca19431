#pragma once

#include <memory>

namespace ov2 {

// ov2cat ends once a command has written its answer. Handing a million records back to the
// allocator one by one costs a good share of a scan and more than a query, so what a command
// read is left to the end of the process; a sanitizer build frees it, so that its leak check
// stays meaningful.
template <class T>
void LeaveToProcessEnd(std::unique_ptr<T>& owned) {
#if defined(__SANITIZE_ADDRESS__)
    owned.reset();
#else
    (void)owned.release();
#endif
}

}  // namespace ov2
