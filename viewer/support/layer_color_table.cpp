// The layer colour table and its file: "label;number;red,green,blue;" per line.
#include "support/layer_color_table.h"

#include <cctype>
#include <string>
#include <string_view>

#include "support/text_files.h"

layer_color_table LayerColorTable;

namespace {

// The text up to the first separator; the rest follows it (empty when there is none).
std::string_view next_field(std::string_view &rest, char separator)
{
    std::size_t at = rest.find(separator);
    std::string_view field = rest.substr(0, at);
    rest = at == std::string_view::npos ? std::string_view() : rest.substr(at + 1);
    return field;
}

// Like atoi, but saturating instead of overflowing on long runs of digits.
long long leading_integer(std::string_view text)
{
    std::size_t i = 0;
    while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i])))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        negative = text[i++] == '-';
    long long value = 0;
    for (; i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])); ++i) {
        if (value < (1LL << 40))
            value = value * 10 + (text[i] - '0');
    }
    return negative ? -value : value;
}

void apply_line(layer_color_table &table, std::string_view line)
{
    std::string_view rest = line;
    next_field(rest, ';'); // label
    long long number = leading_integer(next_field(rest, ';'));
    long long red = leading_integer(next_field(rest, ','));
    long long green = leading_integer(next_field(rest, ','));
    long long blue = leading_integer(next_field(rest, ';'));
    // A number the table cannot take is skipped rather than let it swallow memory.
    if (number < 0 || number > max_layer_color_number)
        return;
    std::uint32_t color = static_cast<std::uint32_t>(red & 0xFF) |
                          static_cast<std::uint32_t>(green & 0xFF) << 8 |
                          static_cast<std::uint32_t>(blue & 0xFF) << 16;
    auto index = static_cast<std::size_t>(number);
    if (index >= table.size())
        table.resize(index + 1, 0);
    table[index] = color;
}

} // namespace

void LoadLayerColorFile(layer_color_table &table, const char *path)
{
    if (table.size() < 256)
        table.resize(256);
    for (std::size_t i = 0; i < 256; ++i)
        table[i] = default_layer_color;

    cl_input_file file;
    if (!path || !file.OpenRead(path))
        return;
    CString line;
    while (file.ReadString(line)) {
        if (line.IsEmpty() || line[0] == '#')
            continue;
        apply_line(table, std::string_view(line.GetString(), static_cast<std::size_t>(line.GetLength())));
    }
    file.Close();
}

void LoadLayerColorFile(const char *path) { LoadLayerColorFile(LayerColorTable, path); }

std::optional<std::uint32_t> LookupLayerColor(const layer_color_table &table, long number)
{
    if (number < 0 || static_cast<unsigned long>(number) >= table.size())
        return std::nullopt;
    return table[static_cast<std::size_t>(number)];
}

std::optional<std::uint32_t> LookupLayerColor(long number)
{
    return LookupLayerColor(LayerColorTable, number);
}
