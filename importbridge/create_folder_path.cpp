// Creation of a folder path level by level.
#include "folder_chooser.h"

#include "skelvane/files.h"

void CreateFolderPath(const std::string &path)
{
    // "D:\a\b" is made as "D:", "D:\a", "D:\a\b"; levels that exist (or name a
    // drive) fail harmlessly.  A name without a backslash lands on the root.
    const std::size_t first = path.find('\\');
    std::string current = first == std::string::npos ? std::string() : path.substr(0, first);
    std::string rest = first == std::string::npos ? path : path.substr(first + 1);
    for (;;) {
        CreateDirectory(current);
        if (rest.empty())
            return;
        const std::size_t cut = rest.find('\\');
        current += "\\" + rest.substr(0, cut);
        rest = cut == std::string::npos ? std::string() : rest.substr(cut + 1);
    }
}
