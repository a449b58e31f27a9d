#pragma once

#include <QString>

class QDateEdit;
class QLineEdit;

namespace tallomar {

class FlexGrid;

// In-place editing of grid cells. The editor widgets are siblings of the grid
// in one window and are laid exactly over the grid's current cell, so that
// nothing of the cell shows around or beneath them. The caller makes the cell
// to edit the grid's current cell first, and hides the editors itself.

// Lays the text box over the current cell with the cell's text, focused and
// wholly selected so that the first key typed replaces the old value.
void ShowTextEditor(FlexGrid& grid, QLineEdit& textBox);

// Lays the date picker over the current cell, focused; the caller has given
// it its date.
void ShowDateEditor(FlexGrid& grid, QDateEdit& datePicker);

// Paints every non-fixed cell of the grid in `normalColour`, then the row
// `row` in `highlightColour`: all its non-fixed cells when `column` is 0,
// else only its cell in `column`. A `row` of 1 means the grid's current row.
// Afterwards the highlighted row is current, with the last cell painted.
// Colours are texts such as "&HFFFFC0" (see gridColor).
void HighlightRow(FlexGrid& grid, const QString& normalColour, const QString& highlightColour, int row, int column);

}  // namespace tallomar
