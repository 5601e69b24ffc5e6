// The layer colour table: RGB colours (red in the low byte, then green, blue) by
// colour number, loaded from the host's layer colour file.
#pragma once
#include <cstdint>
#include <optional>
#include <vector>

using layer_color_table = std::vector<std::uint32_t>;

// Grey 200, 200, 200: entries 0 to 255 before the file's lines apply.
constexpr std::uint32_t default_layer_color = 0x00C8C8C8;
// Colour numbers above this are refused: a line naming one is skipped.
constexpr long max_layer_color_number = 65535;

// The viewer's one table, shared by all viewer objects; empty until the first load.
extern layer_color_table LayerColorTable;

// Resets entries 0-255 to the default grey (growing to 256), then applies each entry
// line of the file at path.  A file that cannot be opened leaves just the defaults.
void LoadLayerColorFile(const char *path);
void LoadLayerColorFile(layer_color_table &table, const char *path);

// The colour of a number inside the table, else nothing.
std::optional<std::uint32_t> LookupLayerColor(long number);
std::optional<std::uint32_t> LookupLayerColor(const layer_color_table &table, long number);
