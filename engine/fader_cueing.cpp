#include "engine/fader_cueing.h"

namespace quillmix {

std::optional<int> CZanFaderCueing::OnTimerTick(int sliderPosition) {
    const double position = sliderPosition / kSliderScale;
    std::optional<int> deckToStart;
    if (lastPosition_ < cueMark_ && cueMark_ <= position) {
        deckToStart = 1;
    } else if (position <= cueMark_ && cueMark_ < lastPosition_) {
        deckToStart = 0;
    }
    lastPosition_ = position;
    return deckToStart;
}

}  // namespace quillmix
