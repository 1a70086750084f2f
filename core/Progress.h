// Progress reporting from long operations. The callback is also the front-end's chance to keep
// its window alive (repaint, process events); the engine calls it at least every few
// milliseconds of work, not only when the percentage changes.
#pragma once

#include <functional>

namespace tarnwerk {

using ProgressFn = std::function<void(int percent)>;  // 0..100

}  // namespace tarnwerk
