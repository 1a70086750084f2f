// Ownership of a libspng context, and its error codes as ours.
#pragma once

#include <spng.h>

#include <memory>
#include <string>

#include "config/Result.h"

namespace tarnwerk {

struct SpngFree {
    void operator()(spng_ctx* ctx) const { spng_ctx_free(ctx); }
};
using SpngContext = std::unique_ptr<spng_ctx, SpngFree>;

inline Error SpngError(int code, const std::string& path) {
    return MakeError(ErrorCode::CorruptData, spng_strerror(code), path);
}

}  // namespace tarnwerk
