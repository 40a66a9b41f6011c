// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Every secondary window, for the code that creates or reaches them.
#include "aboutbox.h"
#include "form10.h"
#include "form11.h"
#include "form12.h"
#include "form13.h"
#include "form14.h"
#include "form15.h"
#include "form16.h"
#include "form17.h"
#include "form3.h"
#include "form5.h"
#include "form9.h"
