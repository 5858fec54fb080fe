#pragma once

// The percentage of one chunk of encoder output. The encoder prints progress
// lines such as "Pos:   1.0s     25f ( 16%)" separated by carriage returns; the
// first "%)" of the chunk counts, with the digits (at most three) right before
// it: "( 5%)" gives 5, "(37%)" 37, "(100%)" 100. False, leaving `percent`
// alone, when the chunk has no "%)", no digit before it, or a value above 100.
bool ParseConvertOutput(const char *chunk, int *percent);
