#include "settings/CutSettings.h"

namespace snipster {

uint32_t SampleRateAt(int index) {
  return index >= 0 && index < static_cast<int>(SampleRateTable.size()) ? SampleRateTable[index]
                                                                         : 0;
}

uint32_t BitrateAt(int index) {
  return index >= 0 && index < static_cast<int>(BitrateTable.size()) ? BitrateTable[index] : 128;
}

}  // namespace snipster
