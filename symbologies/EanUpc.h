// Shared EAN/UPC machinery: digit widths, parity tables, check digits, digit encoders.
#pragma once
