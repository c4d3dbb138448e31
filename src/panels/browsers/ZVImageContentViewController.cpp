#include "panels/browsers/ZVImageContentViewController.h"

namespace ql {

void ZVImageContentViewController::openFile(QObject*) {}

} // namespace ql
