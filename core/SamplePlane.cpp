#include "core/SamplePlane.h"

namespace tarnwerk {

SamplePlane MakeSamplePlane(int32_t width, int32_t height, int32_t channels, uint16_t maxValue) {
    SamplePlane plane;
    plane.width = width;
    plane.height = height;
    plane.channels = channels;
    plane.maxValue = maxValue;
    plane.samples.assign(plane.Count(), 0);
    return plane;
}

}  // namespace tarnwerk
