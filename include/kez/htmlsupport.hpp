// KEZ_htmlsupport: the HTML template producer, URL coding and entity helpers.
#pragma once

#include "kez/kezbase.hpp"
