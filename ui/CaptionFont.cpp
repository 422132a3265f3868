#include "CaptionFont.h"

#include <algorithm>

namespace tus2wf {
namespace {

constexpr double kLargestPoints = 8.25;
constexpr double kSmallestPoints = 6.0;
constexpr double kPointsStep = 0.25;

}  // namespace

double captionPointSize(double platformPoints, const std::function<bool(double points)>& fits) {
    const double largest =
        platformPoints > 0 ? std::min(platformPoints, kLargestPoints) : kLargestPoints;
    for (double points = largest; points > kSmallestPoints; points -= kPointsStep) {
        if (fits(points)) {
            return points;
        }
    }
    return kSmallestPoints;
}

}  // namespace tus2wf
