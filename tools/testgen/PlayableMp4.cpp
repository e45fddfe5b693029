#include "PlayableMp4.h"

#include <stdexcept>

namespace testgen {

void writePlayable(const std::string&, const PlayableOptions&) {
    throw std::runtime_error("playable recordings are not implemented yet");
}

}  // namespace testgen
