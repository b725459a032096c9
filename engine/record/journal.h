// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The record of a run: its format and where it is kept.
#include "journalformat.h"
#include "journalstore.h"
