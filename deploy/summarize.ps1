# notremovable: counts what the PCs said, from an Intune Remediations export
# (the device status, as CSV): summarize.ps1 -Path .\export.csv
# Each row's post-remediation detection output where it has one (the PCs
# fixed in that run), else its pre-remediation output, counted by outcome,
# reason, compliance and effect. A cell that is not the check's JSON line is
# counted as such ("not_json"), an empty one as "no_output": never fatal.
# The columns as the export names them; give others with -PostColumn and
# -PreColumn.
param(
    [Parameter(Mandatory = $true)] [string] $Path,
    [string[]] $PostColumn = @('Post-remediation detection output', 'PostRemediationDetectionScriptOutput'),
    [string[]] $PreColumn = @('Pre-remediation detection output', 'PreRemediationDetectionScriptOutput')
)

# The first of the columns that holds text in this row.
function Get-Cell($row, [string[]] $columns) {
    foreach ($column in $columns) {
        $property = $row.PSObject.Properties[$column]
        if ($property -and -not [string]::IsNullOrWhiteSpace([string]$property.Value)) {
            return [string]$property.Value
        }
    }
    return $null
}

# What one PC said, by the fields counted.
function Read-Answer([string] $cell) {
    $answer = [ordered]@{ Outcome = 'no_output'; Reason = 'no_output'; Compliance = 'no_output'; Effect = 'no_output' }
    if ($cell) {
        $line = $null
        try {
            $line = $cell.Trim() | ConvertFrom-Json -ErrorAction Stop
        } catch {
            $line = $null
        }
        if ($line -and $line.verdict -and $line.summary) {
            $answer.Outcome = [string]$line.verdict.outcome
            $answer.Reason = 'none'
            if ($line.verdict.reason) { $answer.Reason = [string]$line.verdict.reason }
            $answer.Compliance = [string]$line.summary.compliance_status
            $answer.Effect = [string]$line.summary.effect
        } else {
            foreach ($field in @('Outcome', 'Reason', 'Compliance', 'Effect')) { $answer[$field] = 'not_json' }
        }
    }
    return [pscustomobject]$answer
}

$answers = @(Import-Csv -LiteralPath $Path | ForEach-Object {
    $cell = Get-Cell $_ $PostColumn
    if (-not $cell) { $cell = Get-Cell $_ $PreColumn }
    Read-Answer $cell
})
Write-Output ('PCs: {0}' -f $answers.Count)
foreach ($field in @('Outcome', 'Reason', 'Compliance', 'Effect')) {
    Write-Output ('by {0}:' -f $field.ToLowerInvariant())
    $answers | Group-Object -Property $field | Sort-Object -Property Count -Descending | ForEach-Object {
        Write-Output ('  {0,7}  {1}' -f $_.Count, $_.Name)
    }
}
