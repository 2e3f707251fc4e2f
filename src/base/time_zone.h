#pragma once
// Local time without a file check per conversion.
//
// While TZ is unset, glibc looks at /etc/localtime again (a stat) on every local-time
// conversion, and every QDateTime in local time makes one: thousands per list. Naming that
// same file in TZ keeps the zone and drops the checks. Call once at the start of a program,
// before threads start; a TZ that is already set is left alone.
void pinLocalTimeZone();
