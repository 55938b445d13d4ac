#pragma once

class QAccessibleInterface;
class QObject;
class QString;

// What assistive technology, and an end-to-end test, read of a range bar: a slider whose
// value is the window's start inside the range, with the window as text in the bar's own
// labels ("09:00:00 – 09:30:00", "20° – 45°") as its description.
QAccessibleInterface *RangeBarAccessibleFactory(const QString &className, QObject *object);
