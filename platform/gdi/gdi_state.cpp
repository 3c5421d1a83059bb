#include "gdi/gdi_state.h"

#include "gdi/static_colours.h"

namespace standin {

GdiState::GdiState() {
    PaletteObject stock;
    stock.entries.assign(kStaticColours, kStaticColours + kStaticColourCount);
    stock.stock = true;
    stockPalette = palettes.Add(std::move(stock));
}

GdiState &Gdi() {
    static GdiState *state = new GdiState();
    return *state;
}

}  // namespace standin
