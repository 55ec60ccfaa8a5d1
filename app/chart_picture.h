// Saving one of the planner's pictures as a PNG file where the user chooses.
#pragma once

#include "app/services.h"

class QImage;
class QWidget;

namespace quorvex::app {

// SaveChartPicture() asks for a file with the save dialog (PNG) and writes `picture` there
// through the same safe write as the window's capture: the whole file or, on failure, the file
// as it was, and a warning box with the system's reason. A cancelled dialog writes nothing.
void SaveChartPicture(QWidget* owner, const QImage& picture, const Services& services);

}  // namespace quorvex::app
