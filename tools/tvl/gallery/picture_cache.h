// The gallery's cache: pictures by key and the facts of each library, in a
// folder shared by every gallery run of the user.
//
//   ROOT/pictures/ab/ab....png        one picture per key
//   ROOT/libraries/KEY.facts          facts of one library file, by its path
//   ROOT/exports/ab/ab....dxf         downloads made by tvl export
//
// Every file is written under a temporary name and renamed, so two gallery
// runs can share the folder; the last writer of a key wins with an equal file.
#pragma once
#include <cstdint>
#include <string>

// $XDG_CACHE_HOME/skelvane, or ~/.cache/skelvane; empty when neither is known.
std::string default_cache_folder();

std::string picture_file(const std::string &root, const std::string &key);
std::string facts_file(const std::string &root, const std::string &library);

// What a picture shows: the definition it was drawn from and how it was drawn.
// settings holds the drawing mode, program version and the colour file's hash.
std::string picture_key(const std::string &library, const std::string &symbol, std::uint64_t definition,
                        const std::string &view, int size, const std::string &settings);

// Puts a cached file at target (a hard link, or a copy across file systems); false on failure.
bool serve_file(const std::string &cached, const std::string &target);

struct cache_summary {
    long pictures = 0;
    long libraries = 0;
    long exports = 0;
    std::uintmax_t bytes = 0;
};
cache_summary summarize_cache(const std::string &root);

// Removes the cache's own folders (nothing else under root); false with a
// message in error when something could not be removed.
bool clear_cache(const std::string &root, std::string &error);
