#include "writers/paged/run_characters.hpp"

namespace kolvo::paged {

const RunEnders kRunEnders;

}  // namespace kolvo::paged
