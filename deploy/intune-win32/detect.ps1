# notremovable: the Intune Win32 app's detection script (detect.ps1).
# Intune counts the app as installed when the script ends with 0 and writes
# to stdout, so it writes one line only when the PC complies: the installed
# exe acts on a trusted ID, and its key holds Removable REG_DWORD 0. It
# always ends with 0 (another status is a failed detection, not "not
# installed"), and the check program's own words go nowhere.
$folder = Join-Path $env:ProgramFiles 'notremovable'
if (${env:ProgramFiles(x86)}) { $folder = Join-Path ${env:ProgramFiles(x86)} 'notremovable' }
$check = Join-Path $folder 'notremovable-check.exe'
try {
    if (Test-Path -LiteralPath $check -PathType Leaf) {
        $null = & $check --compliance 2>$null
        if ($LASTEXITCODE -eq 0) {
            Write-Output 'notremovable: compliant'
        }
    }
} catch {
    $null = $_
}
exit 0
