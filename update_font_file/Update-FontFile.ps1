<#
.SYNOPSIS
Replaces a loaded font file with a new build: frees the file with
glyphevict.exe, then writes the new build's bytes over it.

.DESCRIPTION
Update-FontFile checks everything before it changes anything. Before
glyphevict runs, it refuses with an error that names the file:
- a path that is missing or names a folder, and an empty new build;
- a font file to be replaced that is read-only or hidden;
- a font file to be replaced that is newer than the new build: what two paths
  given the wrong way round look like (-AllowOlder allows it on purpose);
- no glyphevict.exe, beside this script or on the PATH.

When both files hold the same bytes, it runs nothing and changes nothing.
Otherwise it runs glyphevict.exe, the one beside this script first, on the
font file, which takes this session's loads of it out, and writes the new
build over it, trying for about five seconds while Windows still has the
file in use. The file keeps its own attributes and takes the new build's
bytes and last-write time.

Update-FontFile.cmd, beside this script, runs it with the same arguments from
cmd, from build scripts, and from PowerShell where scripts may not run.

.PARAMETER LoadedFont
The font file that is loaded, to be replaced.

.PARAMETER NewBuild
The new build, whose bytes replace the loaded font file's. It is only read.

.PARAMETER AllowOlder
Replace the font file even when it is newer than the new build: for going
back to an older build.

.EXAMPLE
Update-FontFile.cmd -LoadedFont "C:\Font Work\My Draft Bold.otf" -NewBuild "C:\Font Work\build\My Draft Bold.otf"

.OUTPUTS
One line: "Replaced: <path>", or "Already the same bytes, nothing changed: <path>".
#>
[CmdletBinding(PositionalBinding = $false, SupportsShouldProcess = $true)]
param(
    [string]$LoadedFont,
    [string]$NewBuild,
    [switch]$AllowOlder
)
$ErrorActionPreference = 'Stop'

if ($PSBoundParameters.Count -eq 0) {
    'Usage: Update-FontFile -LoadedFont FONT_FILE -NewBuild NEW_BUILD [-AllowOlder]'
    'Frees FONT_FILE with glyphevict.exe and writes NEW_BUILD over it (Get-Help Update-FontFile.ps1 -Full).'
    return
}

# The file a path names, hidden or not, relative or on any PowerShell drive;
# never a folder, and never a wildcard pattern.
function Get-FontFile([string]$Path, [string]$Parameter) {
    if (-not $Path) { throw "-$Parameter is missing: give the path of a font file." }
    $item = Get-Item -LiteralPath $Path -Force -ErrorAction SilentlyContinue
    if ($item -isnot [System.IO.FileInfo]) { throw "No such file (a folder is not a font file): $Path" }
    $item
}

$font = Get-FontFile $LoadedFont 'LoadedFont'
$new = Get-FontFile $NewBuild 'NewBuild'
$fontPath = $font.FullName
$newPath = $new.FullName
# Read once: these very bytes are compared and written.
$bytes = [System.IO.File]::ReadAllBytes($newPath)
if ($bytes.Length -eq 0) { throw "Not replaced: the new build is empty (0 bytes): $newPath" }

$sha256 = [System.Security.Cryptography.SHA256]::Create()
$old = [System.IO.File]::ReadAllBytes($fontPath)
$fontHash = [System.BitConverter]::ToString($sha256.ComputeHash($old))
$newHash = [System.BitConverter]::ToString($sha256.ComputeHash($bytes))
$sha256.Dispose()
if ($fontHash -eq $newHash) {
    "Already the same bytes, nothing changed: $fontPath"
    return
}

$kept = @()
if ($font.IsReadOnly) { $kept += 'read-only' }
if (($font.Attributes -band [System.IO.FileAttributes]::Hidden) -ne 0) { $kept += 'hidden' }
if ($kept.Count -gt 0) {
    throw "Not replaced: the font file is $($kept -join ' and '): $fontPath`nTo replace it, clear that first: attrib -r -h `"$fontPath`""
}
if (-not $AllowOlder -and $font.LastWriteTimeUtc -gt $new.LastWriteTimeUtc) {
    throw ("Not replaced: the font file is newer than the new build; are the two paths the wrong way round?`n" +
        "  -LoadedFont $fontPath ($($font.LastWriteTime))`n  -NewBuild $newPath ($($new.LastWriteTime))`n" +
        'To go back to an older build on purpose, add -AllowOlder.')
}

$glyphevict = Join-Path $PSScriptRoot 'glyphevict.exe'
if (-not (Test-Path -LiteralPath $glyphevict -PathType Leaf)) {
    $found = @(Get-Command glyphevict.exe -CommandType Application -ErrorAction SilentlyContinue)
    if ($found.Count -eq 0) { throw "Not replaced: glyphevict.exe is neither beside this script ($PSScriptRoot) nor on the PATH." }
    $glyphevict = $found[0].Path
}
if (-not $PSCmdlet.ShouldProcess($fontPath, "Free with glyphevict.exe and write $newPath over it")) { return }

# glyphevict prints nothing and always ends with 0: the write tells.
& $glyphevict $fontPath
$ran = "glyphevict has run on it, so this session's loads made with this path may be gone: load it again if you need it."
# A program, a virus scanner or Windows itself may still hold the file for a
# moment; it opens for writing only once nothing else has it open.
for ($try = 1; ; $try++) {
    try {
        $stream = [System.IO.File]::Open($fontPath, 'Open', 'Write', 'None')
        break
    } catch {
        if ($try -ge 10) { throw "Not replaced: $fontPath`n$($_.Exception.GetBaseException().Message)`n$ran" }
        Start-Sleep -Milliseconds 500
    }
}
# In place, so that the file keeps its own attributes. The length first: a
# file still mapped refuses to shrink before any byte has changed.
try {
    $stream.SetLength($bytes.Length)
    $stream.Write($bytes, 0, $bytes.Length)
    $stream.Flush($true)
} catch {
    $saved = Join-Path ([System.IO.Path]::GetTempPath()) "$([guid]::NewGuid()) $($font.Name)"
    [System.IO.File]::WriteAllBytes($saved, $old)
    throw ("Not replaced, and the font file may be damaged: $fontPath`n$($_.Exception.GetBaseException().Message)`n" +
        "Its old bytes are in $saved`n$ran")
} finally {
    $stream.Dispose()
}
try {
    [System.IO.File]::SetLastWriteTimeUtc($fontPath, $new.LastWriteTimeUtc)
} catch {
    Write-Warning "The new bytes are written, but not the new build's time: $($_.Exception.GetBaseException().Message)"
}
"Replaced: $fontPath"
