#pragma once

#include <string>
#include <vector>

class CBasicProject;
class TImpStringGrid;
struct TTestListItem;

// The Details grid as text for a spreadsheet: one line per grid row, cells
// apart by TAB, lines ended by CR LF, then the hardware lines and the result
// notice. columns_ are the grid's project columns in the order shown (a
// column without a project stays empty, a hidden project's is left out);
// rows_ are its rows in the order shown (null rows are left out).
// Windows-1252 bytes.
std::string resultTableText(const std::vector<CBasicProject *> &columns_, const std::vector<const TTestListItem *> &rows_);

// The grids' Copy: the image grid (tag 26) puts the picture under the mouse
// on the clipboard, the grid of tag 1 nothing, any other the table above.
void copyGridToClipboard(TImpStringGrid *grid_);
