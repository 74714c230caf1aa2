#include "decoder_state.h"

DecoderState decoder{};
