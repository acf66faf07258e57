' The stream reader as a script client sees it: the streams of a file and of a folder, For Each
' over the records in order, the default member, the list after a new reading, and the errors
' of Item.
Dim fso, root, filePath, folderPath, reader, record, held, i, seen, listed, ok, text

Set fso = CreateObject("Scripting.FileSystemObject")
Randomize
root = fso.BuildPath(fso.GetSpecialFolder(2), "kelmor-streams-" & CStr(Int(Rnd * 1000000)))
fso.CreateFolder root
filePath = fso.BuildPath(root, "sample.txt")
Set text = fso.CreateTextFile(filePath, True)
text.Write "hello world"
text.Close
folderPath = fso.BuildPath(root, "inner")
fso.CreateFolder folderPath

Set reader = CreateObject("Kelmor0200.nvkFileStreams")
CheckEqual "a new reader's list is empty", 0, reader.Count

' A file: its security data, then its data.
ok = reader.ReadFileStreams(filePath, True)
CheckEqual "ReadFileStreams(file, True)", True, ok
CheckEqual "records of a file with security", 2, reader.Count
seen = ""
For Each record In reader
    seen = seen & record.StreamID & "|" & record.Name & "|" & record.Size & ";"
Next
listed = ""
For i = 0 To reader.Count - 1
    listed = listed & reader.Item(i).StreamID & "|" & reader.Item(i).Name & "|" & reader.Item(i).Size & ";"
Next
CheckEqual "For Each visits the records in order", listed, seen
CheckEqual "security data first", True, reader(0).StreamIDSecurityData
CheckEqual "security data has no name", "", reader(0).Name
CheckEqual "security data flag", True, reader(0).AttributeContainsSecurity
CheckEqual "then the data (default member)", "::$DATA", reader(1).Name
CheckEqual "data short name", "", reader(1).ShortName
CheckEqual "data size", 11, reader(1).Size
CheckEqual "data kind", True, reader(1).StreamIDData
CheckEqual "data is no alternate stream", False, reader(1).StreamIDAlternateData

' ProcessSecurity left out: no security data.
CheckEqual "ReadFileStreams(file)", True, reader.ReadFileStreams(filePath)
CheckEqual "records of a file without security", 1, reader.Count
CheckEqual "only the data", 1, reader(0).StreamID

' A folder walks like a file: security data only, and nothing without it.
CheckEqual "ReadFileStreams(folder, True)", True, reader.ReadFileStreams(folderPath, True)
CheckEqual "records of a folder", 1, reader.Count
CheckEqual "the folder's security data", 3, reader(0).StreamID
CheckEqual "ReadFileStreams(folder, False)", True, reader.ReadFileStreams(folderPath, False)
CheckEqual "a folder without security has no records", 0, reader.Count
i = 0
For Each record In reader
    i = i + 1
Next
CheckEqual "For Each over an empty list", 0, i

' A record held across a new reading keeps answering.
reader.ReadFileStreams filePath, True
Set held = reader(1)
CheckEqual "a path that does not exist", False, reader.ReadFileStreams(fso.BuildPath(root, "missing.txt"), True)
CheckEqual "no records after a failed open", 0, reader.Count
CheckEqual "the held record still answers", "::$DATA", held.Name
CheckEqual "the held record's size", 11, held.Size

' Indexes outside the list.
reader.ReadFileStreams filePath, False
On Error Resume Next
Set record = reader.Item(reader.Count)
CheckEqual "Item(Count) error", 9, Err.Number
CheckEqual "Item(Count) error source", "Kelmor0200.nvkFileStreams", Err.Source
Err.Clear
Set record = reader(-1)
CheckEqual "Item(-1) error", 9, TakeError()
On Error GoTo 0

Set held = Nothing
Set record = Nothing
Set reader = Nothing
fso.DeleteFile filePath
fso.DeleteFolder folderPath
fso.DeleteFolder root
