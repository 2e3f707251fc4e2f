#pragma once
// The message of an unexpected run-time error that data routines show from their error handler.
#include "base/vb_error.h"

// "Error : " description, critical icon, OK only, no title of its own.
void showErrorDescription(const VbError& error);
