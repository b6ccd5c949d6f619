#pragma once
// The whole COM layer in one include.

#include "platform/com/apartment.h"
#include "platform/com/bstr.h"
#include "platform/com/class_registry.h"
#include "platform/com/com_ptr.h"
#include "platform/com/connection_point.h"
#include "platform/com/dispatch.h"
#include "platform/com/errorinfo.h"
#include "platform/com/guid.h"
#include "platform/com/object.h"
#include "platform/com/safearray.h"
#include "platform/com/types.h"
#include "platform/com/unknown.h"
#include "platform/com/variant.h"
