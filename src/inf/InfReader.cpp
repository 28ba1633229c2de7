#include "inf/InfReader.h"
