// ListStreams.js FILE [/security]
//
// The streams of one file or folder, like ListStreams.vbs, from JScript: one line per stream
// with its size in bytes, its kind and its full name (":name:$DATA" for an alternate data
// stream, "::$DATA" for the file's own data), then the number of streams. With /security the
// security data is listed too. Needs Kelmor0200.dll registered (the installers do that).
//
//   cscript //nologo ListStreams.js "C:\Users\olga\Downloads\setup.exe"
//
// Exit code: 0 when the streams were read, 1 for a wrong command line or a file that cannot be
// read.

function usage() {
    WScript.Echo("Usage: cscript //nologo ListStreams.js FILE [/security]");
    WScript.Quit(1);
}

// The kind of a stream record as Tessel names it.
function kindName(record) {
    if (record.StreamIDData) return "DATA";
    if (record.StreamIDAlternateData) return "ALTERNATE_DATA";
    if (record.StreamIDSecurityData) return "SECURITY_DATA";
    return "KIND " + record.StreamID;
}

function pad(text, width, left) {
    text = String(text);
    while (text.length < width) text = left ? " " + text : text + " ";
    return text;
}

var args = WScript.Arguments;
if (args.length < 1 || args.length > 2) usage();
var path = args(0);
var withSecurity = false;
if (args.length == 2) {
    if (args(1).toLowerCase() != "/security") usage();
    withSecurity = true;
}

var reader = new ActiveXObject("Kelmor0200.nvkFileStreams");
if (!reader.ReadFileStreams(path, withSecurity)) {
    WScript.Echo("Cannot read the streams of " + path);
    WScript.Quit(1);
}
// Records are numbered from 0 (an Enumerator over the reader walks them as well).
for (var i = 0; i < reader.Count; i++) {
    var record = reader.Item(i);
    WScript.Echo(pad(record.Size, 12, true) + "  " + pad(kindName(record), 16, false) + record.Name);
}
WScript.Echo("Streams: " + reader.Count);
