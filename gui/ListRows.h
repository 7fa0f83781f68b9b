// ListRows: the rows of a list widget as its owner fills and reads them (the in-game list box and the front-end
// screen list box both offer it).
#pragma once

#include <cstdint>
#include <vector>

// The most a list takes from its script for the height of a row and for the rows it shows: every row it places
// then stands at a whole number of pixels in range (a taller row or a longer view shows nothing more).
inline constexpr int32_t kMaxListRowHeight = 4096;
inline constexpr int32_t kMaxListVisibleRows = 65535;

class ListRows
{
public:
    virtual ~ListRows() = default;

    // Deletes every text and image cell; no row is left.
    virtual void ClearRows() = 0;
    // A text cell of the row at x offset `x`, `width` wide (the text is shortened to fit); `newRow` counts a new
    // row. `ignored` is passed by the callers and has no effect.
    virtual void AddTextItem(int32_t row, int32_t x, int32_t width, int32_t ignored, int32_t textFlags, int32_t font,
                             uint32_t colour, const char16_t* text, bool newRow) = 0;
    // An image cell of the row showing the named sprite; the row count does not change.
    virtual void AddImageItem(int32_t row, int32_t x, const char* spriteName) = 0;
    // Selects the row, alone when `exclusive`.
    virtual void SetSelected(int32_t row, bool exclusive) = 0;
    // The selected rows, first selected first.
    virtual const std::vector<int32_t>& GetSelectedRows() const = 0;
    virtual int32_t GetRowCount() const = 0;
};
