// libjpeg's failures as a jump back into the code that called it, and its
// warnings unsaid: a damaged picture is refused, never printed about.
#pragma once

#include <csetjmp>
#include <cstdio>
#include <jpeglib.h>

namespace ql::bitmaps {

struct JpegFailure {
    jpeg_error_mgr manager;
    std::jmp_buf back;
};

inline void jpegFailed(j_common_ptr info)
{
    std::longjmp(reinterpret_cast<JpegFailure*>(info->err)->back, 1);
}

inline void jpegQuiet(j_common_ptr) {}

// The error handler to give libjpeg: it jumps to `failure.back`.
inline jpeg_error_mgr* quietFailure(JpegFailure& failure)
{
    jpeg_error_mgr* manager = jpeg_std_error(&failure.manager);
    manager->error_exit = jpegFailed;
    manager->output_message = jpegQuiet;
    return manager;
}

} // namespace ql::bitmaps
