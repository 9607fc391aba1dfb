#include "search/Options.h"

namespace search {

int Options::Code() const {
    return (caseSensitive ? 100 : 0) + (fileAndFolder ? 10 : 0) + (wholeName ? 1 : 0);
}

std::optional<Options> Options::FromCode(int code) {
    for (const bool caseSensitive : {false, true}) {
        for (const bool fileAndFolder : {false, true}) {
            for (const bool wholeName : {false, true}) {
                const Options options{caseSensitive, fileAndFolder, wholeName};
                if (options.Code() == code) return options;
            }
        }
    }
    return std::nullopt;
}

}  // namespace search
