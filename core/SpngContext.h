// Ownership of a libspng context, and its error codes as ours.
#pragma once

#include <spng.h>

#include <memory>
#include <string>

#include "base/Result.h"

namespace tarnwerk {

struct SpngFree {
    void operator()(spng_ctx* ctx) const { spng_ctx_free(ctx); }
};
using SpngContext = std::unique_ptr<spng_ctx, SpngFree>;

// libspng's code names the fault in English; the user is told that the picture is damaged.
inline Error SpngError(int /*code*/, const std::string& path) { return MakeError(ErrorCode::CorruptData, path); }

}  // namespace tarnwerk
