// The standard names of the IPTC IIM datasets, as the data (JSON and the
// like) gives them: the names under which exiftool users know them, which
// differ in places from the names the IPTC pane prints.
#pragma once

// The name of dataset `dataset` of record `record`, or nullptr for a dataset
// no standard defines. Names hold no blanks.
const char* StandardIptcName(int record, int dataset);
