#pragma once

namespace tolvane {

struct Measurement;

/// Reads the S-parameters of a one- or two-port Touchstone file: version 1.0/1.1 (".s1p",
/// ".s2p"; the option line "# <Hz|kHz|MHz|GHz> S <MA|DB|RI> R 50" with its defaults GHz, S, MA,
/// R 50; a two-port's values in the order S11 S21 S12 S22, possibly over several lines; a noise
/// section passed over) and version 2.0 (the keywords of the S-parameters of one or two ports).
/// Refuses, naming the path and the line: Y, Z, H or G parameters, a reference impedance other
/// than 50 ohm, more than two ports, frequencies that do not increase, a wrong count of values, a
/// value that is not a finite number, an empty file, more than 100,000 frequencies.
///
/// `measurement` is replaced only when the whole file was read. Reports under
/// "ReadTouchstoneFile: "; 1 on success, 0 on failure.
[[nodiscard]] int ReadTouchstoneFile(const char* path, Measurement* measurement);

} // namespace tolvane
