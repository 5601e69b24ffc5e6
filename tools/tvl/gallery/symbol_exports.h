// A symbol's drawing as a DXF, SVG or OBJ file for the gallery's downloads,
// made by running tvl export and kept in the cache like the pictures.
#pragma once
#include <string>

#include "gallery_settings.h"
#include "symbol_facts.h"

struct site_library;

// True when program has an export subcommand.
bool export_available(const std::string &program);

// Puts the export of one symbol in format (dxf, svg, obj) at target, making it
// when the cache lacks it; false when tvl export could not make it.
bool export_symbol(const std::string &program, const site_library &library, const symbol_facts &facts,
                   const std::string &format, const gallery_settings &settings, const std::string &drawing,
                   const std::string &target);
