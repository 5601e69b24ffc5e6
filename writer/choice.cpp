#include "choice.h"

namespace tvlw {

std::vector<Coding> coding_candidates()
{
    std::vector<Coding> all(1);
    Coding no_templates;
    no_templates.point_templates = false;
    no_templates.group_templates = false;
    all.push_back(no_templates);
    return all;
}

EncodedBlock encode_block_smallest(const Settings &settings, int flags, Point base, const std::string &path,
                                   const std::vector<Entity> &entities, Compression c,
                                   const std::vector<Coding> &candidates)
{
    EncodedBlock best;
    for (std::size_t i = 0; i < candidates.size(); ++i) {
        const std::vector<std::uint8_t> plain = encode_block(settings, flags, base, path, entities, candidates[i]);
        std::vector<std::uint8_t> data = encode_record_data(plain, c);
        if (i == 0 || data.size() < best.record_data.size()) {
            best.record_data = std::move(data);
            best.plain_size = plain.size();
            best.coding = static_cast<int>(i);
        }
    }
    return best;
}

} // namespace tvlw
