#pragma once
// A page of the engineering sheet: set up when first brought to the front,
// asked to apply on OK or Apply (a refusal keeps the sheet on it).
#include "platform/PropertySheet.h"

using EngineeringPage = PropertyPage;
