#include "vComponentPanel.h"

vComponentPanel::~vComponentPanel() = default;
