' The string buffer and the single-instance check as a late-binding client uses them.
Dim b, russian, p, a1, a2, appName

Set b = CreateObject("Kelmor0200.StringBuffA")
CheckEqual "new buffer", "", b.StringValue
b.StringValue = "abc"
CheckEqual "abc: the default member", "abc", b
CheckEqual "abc and its NUL", 4, b.GetBufferLength
b.StringValue(3) = "abc"
CheckEqual "cut to 3", "ab", b.StringValue
' A Russian word from its bytes in code page 1251 (this script engine has no ChrW).
russian = Chr(&HCF) & Chr(&HF0) & Chr(&HE8) & Chr(&HE2) & Chr(&HE5) & Chr(&HF2)
p = b.PlaceString(russian)
CheckEqual "PlaceString gives pString", b.pString, p
CheckEqual "Russian round trip", russian, b.StringValue
CheckTrue "Allocate()", b.Allocate()
CheckEqual "Allocate(): 1024 bytes", 1024, b.GetBufferLength
CheckEqual "Allocate(0)", False, b.Allocate(0)

appName = "KelmorScriptAlone-" & CStr(Timer) & "-" & CStr(Int(Rnd() * 1000000))
Set a1 = CreateObject("Kelmor0200.nvkAlone")
Set a2 = CreateObject("Kelmor0200.nvkAlone")
CheckEqual "first claim", True, a1.IsAlone(appName)
CheckEqual "another object while the first lives", False, a2.IsAlone(appName)
Set a1 = Nothing
CheckEqual "after the first object went", True, a2.IsAlone(appName)
On Error Resume Next
a2.IsAlone ""
CheckEqual "empty name", 5, TakeError()
On Error GoTo 0
