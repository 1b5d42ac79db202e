// merrovan-snapshots --guide: the user guide's pictures, each a state of the program set up by
// script and saved under its name.
#pragma once

// merrovan-snapshots --guide DIR [NAME...]: writes DIR/NAME.png for every picture (or the ones
// named). merrovan-snapshots --guide-names: lists the names, one a line. Returns the exit status.
int GuidePictures(int argc, char** argv);
