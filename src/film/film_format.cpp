#include "film/film_format.h"

namespace zentrov {

int findFilmSignature(const uint8_t* window) {
  for (int i = 0; i <= kLastSignatureOffset; ++i) {
    if (window[i] == 'F' && window[i + 1] == 'I' && window[i + 2] == 'L' && window[i + 3] == 'M')
      return i;
  }
  return -1;
}

}  // namespace zentrov
