# notremovable: the Configuration Manager application's detection script
# (detect.ps1). Configuration Manager counts the application as installed
# when the script ends with 0 and writes to stdout, as not installed when it
# ends with 0 and writes nothing at all (stderr included), and a script that
# ends otherwise as unknown. So it always ends with 0, keeps the check
# program's stderr to itself, and writes one line only when the PC complies.
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
