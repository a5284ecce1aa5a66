#pragma once
// The print preview: the sheets of a printer's run shown page by page in a
// dialog run through the modal seam. It has no Print button of its own:
// printing runs separately, without the preview's page limit.
#include <functional>

class QPrinter;
class QWidget;

namespace platform {

// Runs the preview of `printer` modally; `paint` draws the whole run on the
// printer it is given and is called again for every pass of the preview.
// Returns the dialog's result code.
int runPrintPreview(QPrinter& printer, const std::function<void(QPrinter*)>& paint, QWidget* parent);

} // namespace platform
