# notremovable: the Configuration Manager configuration item's remediation
# script (remediation.ps1), run when the setting is not compliant. Runs the
# installed exe: 1 (the write was attempted) ends with 0, anything else with
# 1, so that Configuration Manager reports a remediation that did nothing as
# failed. Windows applies the override at the next restart or replug.
$folder = Join-Path $env:ProgramFiles 'notremovable'
if (${env:ProgramFiles(x86)}) { $folder = Join-Path ${env:ProgramFiles(x86)} 'notremovable' }
$exe = Join-Path $folder 'notremovable.exe'
if (-not (Test-Path -LiteralPath $exe -PathType Leaf)) {
    exit 1
}
try {
    & $exe
} catch {
    exit 1
}
if ($LASTEXITCODE -eq 1) {
    exit 0
}
exit 1
