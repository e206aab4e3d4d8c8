#include "graphs/graph_holders.h"

namespace korvid::graphs {

Tdm::Tdm() = default;

TdmScenes::TdmScenes() = default;

Tviewdm::Tviewdm() { viewfg.SetActive(true); }

Tviewdm::~Tviewdm() {
  viewfg.ClearGraph();
  viewfg.SetActive(false);
}

TCdm::TCdm() = default;

TCdm::~TCdm() {
  StopConversion();
  fg.ClearGraph();
  fg.SetActive(false);
}

}  // namespace korvid::graphs
