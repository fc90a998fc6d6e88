#include "tablestore/dbdyngrid_unit.h"
