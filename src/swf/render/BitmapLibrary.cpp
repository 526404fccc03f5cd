// Eviction scans the cached entries for the oldest; a movie holds at most a few hundred
// bitmaps and a bitmap is evicted only when another is decoded, so a scan costs nothing
// beside the decoding it makes room for.
#include "swf/render/BitmapLibrary.h"

#include "swf/render/BitmapDecoder.h"

namespace saver::swf {

BitmapLibrary::BitmapLibrary(const Movie& movie, std::size_t budgetBytes)
    : movie_(movie), budget_(budgetBytes) {}

BitmapLibrary::~BitmapLibrary() = default;

std::shared_ptr<const DecodedBitmap> BitmapLibrary::find(std::uint16_t id) const {
    if (auto it = entries_.find(id); it != entries_.end()) {
        it->second.lastUse = ++clock_;
        return it->second.bitmap;
    }
    const auto def = movie_.dictionary.find(id);
    if (def == movie_.dictionary.end()) return nullptr;
    const auto* character = std::get_if<BitmapCharacter>(&def->second);
    if (character == nullptr) return nullptr;

    Entry entry;
    entry.lastUse = ++clock_;
    std::optional<DecodedBitmap> decoded =
        BitmapDecoder::decode(*character, movie_.jpegTables, budget_);
    if (decoded) {
        makeRoom(decoded->bytes());
        used_ += decoded->bytes();
        entry.bitmap = std::make_shared<const DecodedBitmap>(std::move(*decoded));
    }
    return entries_.emplace(id, std::move(entry)).first->second.bitmap;
}

// Half the budget leaves room for the bitmaps a long movie decodes later without evicting
// those decoded here at once.
void BitmapLibrary::decodeAhead() {
    for (const auto& [id, character] : movie_.dictionary) {
        if (used_ >= budget_ / 2) return;
        if (std::holds_alternative<BitmapCharacter>(character)) find(id);
    }
}

// Drops the least recently used bitmaps until `bytes` more fit the budget. Failed entries
// cost nothing and stay, so a damaged image is not decoded again.
void BitmapLibrary::makeRoom(std::size_t bytes) const {
    while (used_ + bytes > budget_) {
        auto oldest = entries_.end();
        for (auto it = entries_.begin(); it != entries_.end(); ++it)
            if (it->second.bitmap &&
                (oldest == entries_.end() || it->second.lastUse < oldest->second.lastUse))
                oldest = it;
        if (oldest == entries_.end()) return;
        used_ -= oldest->second.bitmap->bytes();
        entries_.erase(oldest);
    }
}

}  // namespace saver::swf
