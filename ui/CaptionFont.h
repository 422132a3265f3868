#pragma once

#include <functional>

namespace tus2wf {

// The point size of the window's default font, which the captions, buttons and status labels
// share: the classic dialog size (8.25 points, or the platform's own size where that is
// smaller), or the largest size below it, in quarter points, at which fits() says that every
// caption shows its whole text in its fixed label. Never below 6 points.
double captionPointSize(double platformPoints, const std::function<bool(double points)>& fits);

}  // namespace tus2wf
