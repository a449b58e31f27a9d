#pragma once

#include <QLabel>

namespace tallomar {

// A label for a narrow upright strip, where word wrap puts each blank-separated
// word of the text on a line of its own: "   详  细  信  息 " reads top to
// bottom, one character per line, after the empty line its leading blanks
// fill. A word wider than the strip breaks where the strip ends.
class StripLabel : public QLabel {
    Q_OBJECT
public:
    using QLabel::QLabel;

protected:
    void paintEvent(QPaintEvent* event) override;
};

}  // namespace tallomar
