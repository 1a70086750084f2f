// Content-adaptive embedding costs: HILL (B. Li, M. Wang, J. Huang, X. Li, "A new cost function
// for spatial image steganography", ICIP 2014). Low in textured, noisy regions, high in smooth
// ones. Each channel is costed on its own; borders are mirrored symmetrically (the sample
// beyond the edge repeats the edge sample: x[-1] = x[0], x[-2] = x[1], ...).
//
//   R   = X * KB, KB = [[-1, 2, -1], [2, -4, 2], [-1, 2, -1]]
//   xi  = |R| averaged over a 3 x 3 window
//   p   = 1 / (xi + 1e-10)
//   rho = p averaged over a 15 x 15 window, capped at kWetCost
//
// +1 and -1 cost the same; at 0 and at the maximum only one direction is possible, which the
// embedder takes.
#pragma once

#include <cstddef>
#include <span>
#include <vector>

#include "core/SamplePlane.h"

namespace tarnwerk {

// A cost this high marks a sample that must not change; costs stay finite so sums stay exact.
inline constexpr float kWetCost = 1e10f;

// Samples at or above this cost cannot carry. HILL gives integer samples either a cost below 9
// (xi is 0 or at least 1/9) or, with a flat spot anywhere in the 15 x 15 window, at least
// 1e10 / 225: the limit lies in that gap, so these samples are the ones the optimal sender
// would practically never change.
inline constexpr float kUsableCostLimit = 1e6f;

// One cost per sample, laid out like plane.samples. Channels run on separate threads.
std::vector<float> HillCosts(const SamplePlane& plane);

// How many samples cost less than kUsableCostLimit.
size_t UsableSamples(std::span<const float> costs);

}  // namespace tarnwerk
