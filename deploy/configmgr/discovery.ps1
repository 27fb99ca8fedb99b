# notremovable: the Configuration Manager configuration item's discovery
# script (discovery.ps1): a setting of type Script, data type Integer, with
# the compliance rule "equals 0". Writes the check program's --compliance
# status as its one value: 0 compliant, 1 not compliant, 2 cannot judge (the
# check missing or failing included). Well within the 60 seconds a
# configuration item's script may take.
$folder = Join-Path $env:ProgramFiles 'notremovable'
if (${env:ProgramFiles(x86)}) { $folder = Join-Path ${env:ProgramFiles(x86)} 'notremovable' }
$check = Join-Path $folder 'notremovable-check.exe'
$status = 2
if (Test-Path -LiteralPath $check -PathType Leaf) {
    try {
        $null = & $check --compliance 2>$null
        if ($LASTEXITCODE -eq 0 -or $LASTEXITCODE -eq 1) { $status = [int]$LASTEXITCODE }
    } catch {
        $status = 2
    }
}
Write-Output $status
