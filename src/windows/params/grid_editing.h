#pragma once

#include <QString>

class QDateEdit;
class QLineEdit;

namespace tallomar {

class FlexGrid;

// In-place editing of grid cells. The editor widgets are siblings of the grid
// in one window: the grid's place plus the cell's place in the grid give the
// editor's place. The caller makes the cell to edit the grid's current cell
// first, and hides the editors itself.

// Lays the text box over the current cell (140 twips high on a cell of 240:
// the cell's height less 100), with the cell's text, focused and wholly
// selected so that the first key typed replaces the old value.
void ShowTextEditor(FlexGrid& grid, QLineEdit& textBox);

// Lays the date picker over the current cell, keeping its width, 30 twips
// higher than the cell, focused. Its date becomes the cell's date, or today
// when the cell is empty; a cell text that is no date leaves the picker's
// date as it was.
void ShowDateEditor(FlexGrid& grid, QDateEdit& datePicker);

// Paints every non-fixed cell of the grid in `normalColour`, then the row
// `row` in `highlightColour`: all its non-fixed cells when `column` is 0,
// else only its cell in `column`. A `row` of 1 means the grid's current row.
// Afterwards the highlighted row is current, with the last cell painted.
// Colours are texts such as "&HFFFFC0" (see gridColor).
void HighlightRow(FlexGrid& grid, const QString& normalColour, const QString& highlightColour, int row,
                  int column);

}  // namespace tallomar
