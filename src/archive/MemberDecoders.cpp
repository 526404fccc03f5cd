#include "archive/MemberDecoders.h"

namespace saver {

// One switch for the extractor and the decoder tests, so both reach every method the same way.
void decodeMember(MemberReader& in, MemberWriter& out, std::uint16_t method, std::uint16_t flags,
                  bool earlyPkzipMatches) {
    switch (method) {
        case 0:
            copyStoredMember(in, out);
            break;
        case 1:
            unshrinkMember(in, out);
            break;
        case 2:
        case 3:
        case 4:
        case 5:
            unreduceMember(in, out, method - 1);
            break;
        case 6:
            explodeMember(in, out, flags, earlyPkzipMatches);
            break;
        default:
            inflateMember(in, out);
            break;
    }
}

}  // namespace saver
